#pragma once
// The records of the register, held compactly: each record is one blob in a
// few large chunks (for each field definition a 32-bit length, or "no value",
// followed by the bytes), and records are numbered by RecId in the order they
// were added. A removed record keeps its number (as a hole), so the natural
// order is simply the ascending order of live RecIds.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace store {

struct FieldDef {
  std::string name;             // Windows-1250
  std::string type = "string";  // the only type the register uses
  int width = 0;                // characters (= bytes)
  bool required = false;
};

// The four fields of an address record, in definition order.
std::vector<FieldDef> addressFieldDefs();

using RecId = std::uint32_t;
using Value = std::optional<std::string_view>;  // nullopt: the field has no value

class RecordTable {
 public:
  RecordTable() = default;
  explicit RecordTable(std::vector<FieldDef> defs);
  // A moved-from table is empty and usable again (it must not go on
  // filling the chunk it handed over).
  RecordTable(RecordTable&& other) noexcept;
  RecordTable& operator=(RecordTable&& other) noexcept;

  const std::vector<FieldDef>& defs() const { return defs_; }
  int fieldCount() const { return static_cast<int>(defs_.size()); }

  // Adds a record at the end of the natural order. `values` has one entry
  // per field definition (missing trailing entries have no value). Values
  // are stored exactly as given: the store rule (cut, trailing spaces) is
  // the caller's business.
  RecId append(std::span<const Value> values);
  // Replaces the values of a live record; it keeps its RecId and place.
  void replace(RecId id, std::span<const Value> values);
  void remove(RecId id);

  bool alive(RecId id) const { return id < recs_.size() && recs_[id] != nullptr; }
  // One past the highest RecId ever handed out.
  RecId idLimit() const { return static_cast<RecId>(recs_.size()); }
  std::size_t liveCount() const { return live_; }

  Value value(RecId id, int def) const;
  std::vector<Value> values(RecId id) const;

  // Calls f(RecId) for every live record in natural order.
  template <class F>
  void forEachLive(F&& f) const {
    for (RecId id = 0; id < recs_.size(); ++id)
      if (recs_[id]) f(id);
  }

  void reserve(std::size_t records) { recs_.reserve(records); }

 private:
  char* allocate(std::size_t bytes);
  const char* store(std::span<const Value> values);

  std::vector<FieldDef> defs_;
  struct ChunkDelete {
    void operator()(char* p) const noexcept;
  };
  std::vector<std::unique_ptr<char[], ChunkDelete>> chunks_;
  std::size_t chunkFree_ = 0;
  char* chunkPos_ = nullptr;
  std::vector<const char*> recs_;
  std::size_t live_ = 0;
};

}  // namespace store
