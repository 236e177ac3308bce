#include "RecordTable.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace store {

namespace {
constexpr std::uint32_t kNoValue = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kHugePage = 2u << 20;
#ifdef ODK_SMALL_CHUNKS
// Builds that make thousands of small tables a second (the fuzzing build)
// take small chunks: a fresh 4 MiB block per table costs more than the work.
constexpr std::size_t kChunkSize = 64u << 10;
constexpr std::size_t kChunkAlign = 4u << 10;
#else
constexpr std::size_t kChunkSize = 4u << 20;
constexpr std::size_t kChunkAlign = kHugePage;
#endif

char* newChunk(std::size_t bytes) {
  auto* p = static_cast<char*>(::operator new(bytes, std::align_val_t(kChunkAlign)));
#ifdef __linux__
  // Loading a large register fills hundreds of megabytes at once; in huge
  // pages that costs a fraction of faulting it in 4 KiB at a time.
  if (bytes >= kHugePage) ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return p;
}
}  // namespace

void RecordTable::ChunkDelete::operator()(char* p) const noexcept {
  ::operator delete(p, std::align_val_t(kChunkAlign));
}

std::vector<FieldDef> addressFieldDefs() {
  return {{"Nazev", "string", 80, false},
          {"Http", "string", 255, false},
          {"Kod", "string", 20, false},
          {"Popis", "string", 255, false}};
}

RecordTable::RecordTable(std::vector<FieldDef> defs) : defs_(std::move(defs)) {}

RecordTable::RecordTable(RecordTable&& other) noexcept
    : defs_(std::move(other.defs_)),
      chunks_(std::move(other.chunks_)),
      chunkFree_(std::exchange(other.chunkFree_, 0)),
      chunkPos_(std::exchange(other.chunkPos_, nullptr)),
      recs_(std::move(other.recs_)),
      live_(std::exchange(other.live_, 0)) {
  other.defs_.clear();
  other.chunks_.clear();
  other.recs_.clear();
}

RecordTable& RecordTable::operator=(RecordTable&& other) noexcept {
  if (this != &other) {
    defs_ = std::move(other.defs_);
    chunks_ = std::move(other.chunks_);
    chunkFree_ = std::exchange(other.chunkFree_, 0);
    chunkPos_ = std::exchange(other.chunkPos_, nullptr);
    recs_ = std::move(other.recs_);
    live_ = std::exchange(other.live_, 0);
    other.defs_.clear();
    other.chunks_.clear();
    other.recs_.clear();
  }
  return *this;
}

char* RecordTable::allocate(std::size_t bytes) {
  if (bytes > kChunkSize / 4) {
    // A large blob gets a chunk of its own; the current chunk goes on being
    // filled (its memory does not move when the chunk list grows).
    std::unique_ptr<char[], ChunkDelete> own(newChunk(bytes));
    chunks_.push_back(std::move(own));
    return chunks_.back().get();
  }
  // A record of a table without fields is an empty blob, but its pointer
  // must still be non-null: null marks a removed record.
  if (bytes > chunkFree_ || chunkPos_ == nullptr) {
    std::unique_ptr<char[], ChunkDelete> chunk(newChunk(kChunkSize));
    chunks_.push_back(std::move(chunk));
    chunkPos_ = chunks_.back().get();
    chunkFree_ = kChunkSize;
  }
  char* p = chunkPos_;
  chunkPos_ += bytes;
  chunkFree_ -= bytes;
  return p;
}

const char* RecordTable::store(std::span<const Value> values) {
  std::size_t bytes = 0;
  for (int f = 0; f < fieldCount(); ++f) {
    bytes += sizeof(std::uint32_t);
    if (f < static_cast<int>(values.size()) && values[f]) bytes += values[f]->size();
  }
  char* blob = allocate(bytes);
  char* p = blob;
  for (int f = 0; f < fieldCount(); ++f) {
    std::uint32_t len = kNoValue;
    if (f < static_cast<int>(values.size()) && values[f]) {
      if (values[f]->size() >= kNoValue) throw std::length_error("value too long");
      len = static_cast<std::uint32_t>(values[f]->size());
    }
    std::memcpy(p, &len, sizeof len);
    p += sizeof len;
    if (len != kNoValue && len) {
      std::memcpy(p, values[f]->data(), len);
      p += len;
    }
  }
  return blob;
}

RecId RecordTable::append(std::span<const Value> values) {
  if (recs_.size() >= std::numeric_limits<RecId>::max()) throw std::length_error("too many records");
  recs_.push_back(store(values));
  ++live_;
  return static_cast<RecId>(recs_.size() - 1);
}

void RecordTable::replace(RecId id, std::span<const Value> values) {
  if (!alive(id)) throw std::out_of_range("no such record");
  // The old blob stays in its chunk unused; edits are rare against the size
  // of a register, and the next load packs everything again.
  recs_[id] = store(values);
}

void RecordTable::remove(RecId id) {
  if (!alive(id)) throw std::out_of_range("no such record");
  recs_[id] = nullptr;
  --live_;
}

Value RecordTable::value(RecId id, int def) const {
  const char* p = recs_[id];
  for (int f = 0;; ++f) {
    std::uint32_t len;
    std::memcpy(&len, p, sizeof len);
    p += sizeof len;
    if (f == def) {
      if (len == kNoValue) return std::nullopt;
      return std::string_view(p, len);
    }
    if (len != kNoValue) p += len;
  }
}

std::vector<Value> RecordTable::values(RecId id) const {
  std::vector<Value> out;
  out.reserve(defs_.size());
  for (int f = 0; f < fieldCount(); ++f) out.push_back(value(id, f));
  return out;
}

}  // namespace store
