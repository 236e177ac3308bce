#include "RecordStore.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

#include "CodePage.h"
#include "Collation.h"
#include "DataPacket.h"

namespace store {

namespace {

constexpr RecId kNone = std::numeric_limits<RecId>::max();

// Makes room for `n` elements and a quarter more, so that the records
// stored one by one after a load or a sort do not each time copy arrays
// of a million entries (a stored record must not wait for that).
template <class V>
void reserveAhead(V& v, std::size_t n) {
  if (v.capacity() < n) v.reserve(n + n / 4 + 1024);
}

// Sort keys of one field definition, kept per RecId so that a sort, a
// re-sort and the placing of a stored record never ask the collator twice
// about the same value. A key is a class byte (0 no value, 1 the empty
// text, 2 a text) followed, for a text, by the collator's key; the first
// eight bytes, big-endian and zero-padded, also sit in `prefix` so that
// most comparisons of a sort touch one array and no key.
class SortKeys {
 public:
  static constexpr char kNoValueKey[1] = {'\0'};
  static constexpr char kEmptyKey[1] = {'\1'};

  void grow(RecId limit) {
    if (key_.size() >= limit) return;
    reserveAhead(prefix_, limit);
    reserveAhead(key_, limit);
    reserveAhead(length_, limit);
    prefix_.resize(limit, 0);
    key_.resize(limit, nullptr);
    length_.resize(limit, 0);
  }
  bool has(RecId id) const { return id < key_.size() && key_[id] != nullptr; }
  void invalidate(RecId id) {
    if (id < key_.size()) key_[id] = nullptr;
  }

  void compute(RecId id, Value v, const Collator& collator, std::string& scratch) {
    grow(id + 1);
    const char* key;
    std::size_t len = 1;
    if (!v) {
      key = kNoValueKey;
    } else if (v->empty()) {
      key = kEmptyKey;
    } else {
      scratch.assign(1, '\2');
      collator.appendSortKey(*v, scratch);
      key = keep(scratch);
      len = scratch.size();
    }
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 8; ++i)
      p = (p << 8) | (i < len ? static_cast<unsigned char>(key[i]) : 0u);
    prefix_[id] = p;
    key_[id] = key;
    length_[id] = static_cast<std::uint32_t>(len);
  }

  std::uint64_t prefix(RecId id) const { return prefix_[id]; }
  std::uint32_t length(RecId id) const { return length_[id]; }
  // Bytes `from` to `from` + 7 of the key, big-endian, zero past its end.
  std::uint64_t chunk(RecId id, std::uint32_t from) const {
    const std::uint32_t len = length_[id];
    const char* key = key_[id];
    std::uint64_t c = 0;
    for (std::uint32_t i = from; i < from + 8; ++i) c = (c << 8) | (i < len ? static_cast<unsigned char>(key[i]) : 0u);
    return c;
  }

  // Order of two records whose prefixes are equal: the whole keys, then
  // the natural order, so that equal values keep their natural order and
  // every record has exactly one place.
  bool tieLess(RecId a, RecId b) const {
    const std::uint32_t la = length_[a], lb = length_[b];
    if (la > 8 || lb > 8) {
      const int c = std::memcmp(key_[a], key_[b], std::min(la, lb));
      if (c != 0) return c < 0;
      if (la != lb) return la < lb;
    }
    return a < b;
  }
  bool less(RecId a, RecId b) const {
    if (prefix_[a] != prefix_[b]) return prefix_[a] < prefix_[b];
    return tieLess(a, b);
  }

 private:
  const char* keep(const std::string& key) {
    if (key.size() > chunkFree_) {
      const std::size_t size = std::max(kChunk, key.size());
      chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      chunkPos_ = chunks_.back().get();
      chunkFree_ = size;
    }
    char* at = chunkPos_;
    std::memcpy(at, key.data(), key.size());
    chunkPos_ += key.size();
    chunkFree_ -= key.size();
    return at;
  }

  static constexpr std::size_t kChunk = 1u << 20;
  std::vector<std::uint64_t> prefix_;
  std::vector<const char*> key_;  // nullptr: not computed, or the value changed
  std::vector<std::uint32_t> length_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* chunkPos_ = nullptr;
  std::size_t chunkFree_ = 0;
};

struct SortItem {
  std::uint64_t chunk;  // eight bytes of the key, from the depth being sorted
  RecId id;
};

// Stable LSD radix sort of items by chunk; a byte that all items share
// costs one counting pass and no move.
void radixSort(SortItem* items, SortItem* temp, std::size_t n) {
  std::array<std::array<std::size_t, 256>, 8> counts{};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t c = items[i].chunk;
    for (int b = 0; b < 8; ++b) ++counts[b][(c >> (8 * b)) & 0xFF];
  }
  SortItem* from = items;
  SortItem* to = temp;
  for (int b = 0; b < 8; ++b) {
    auto& count = counts[b];
    if (std::find(count.begin(), count.end(), n) != count.end()) continue;
    std::size_t sum = 0;
    for (std::size_t& c : count) sum += std::exchange(c, sum);
    for (std::size_t i = 0; i < n; ++i) to[count[(from[i].chunk >> (8 * b)) & 0xFF]++] = from[i];
    std::swap(from, to);
  }
  if (from != items) std::copy(from, from + n, items);
}

// Sorts items that arrive in natural order by whole keys, equal keys
// staying in natural order, comparing only the eight-byte chunks held in
// the items: a run of equal chunks is sorted again by the next eight
// bytes. Keys are thus read once per level rather than once per
// comparison, which matters for texts with long common beginnings (web
// addresses).
void sortByKeys(SortItem* items, SortItem* temp, std::size_t n, std::uint32_t depth, const SortKeys& keys) {
  if (n >= 2048) {
    radixSort(items, temp, n);
  } else {
    std::sort(items, items + n, [](const SortItem& a, const SortItem& b) {
      return a.chunk != b.chunk ? a.chunk < b.chunk : a.id < b.id;
    });
  }
  const std::uint32_t next = depth + 8;
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    bool longer = keys.length(items[i].id) > next;
    while (j < n && items[j].chunk == items[i].chunk) longer |= keys.length(items[j++].id) > next;
    // Keys that all end within these eight bytes are equal, and already in
    // natural order.
    if (j - i > 1 && longer) {
      for (std::size_t k = i; k < j; ++k) items[k].chunk = keys.chunk(items[k].id, next);
      sortByKeys(items + i, temp + i, j - i, next, keys);
    }
    i = j;
  }
}

std::string_view storedForm(std::string_view text, int width) {
  if (width >= 0 && text.size() > static_cast<std::size_t>(width)) text = text.substr(0, static_cast<std::size_t>(width));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

struct RecordStore::Impl {
  std::string sortLocale;
  std::unique_ptr<Collator> collator;
  std::vector<std::unique_ptr<SortKeys>> keys;  // per field definition
  std::string scratch;
  int sortDef = -1;  // definition the view is sorted by; -1 natural order

  // Every live record in the current order; while filtering is off this is
  // the view itself.
  std::vector<RecId> order;
  // While filtering is on: the accepted records in the current order, and
  // the verdict for every record (by RecId).
  std::vector<RecId> filteredView;
  std::vector<std::uint8_t> accepted;

  int cur = -1;           // index of the current record in the view
  RecId testing = kNone;  // record under the filter predicate

  // The values of the editing or appending state, per field definition.
  std::vector<std::string> buffer;
  std::vector<std::uint8_t> bufferHas;

  std::function<bool()> predicate;

  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> listeners;
  int nextListener = 1;
  int notifying = 0;

  std::vector<RecId>& view(bool filtered) { return filtered ? filteredView : order; }

  const Collator& theCollator() {
    if (!collator)
      collator = sortLocale.empty() ? std::make_unique<Collator>() : std::make_unique<Collator>(sortLocale.c_str());
    return *collator;
  }

  SortKeys& keysOf(int def) {
    if (keys.size() <= static_cast<std::size_t>(def)) keys.resize(static_cast<std::size_t>(def) + 1);
    if (!keys[def]) keys[def] = std::make_unique<SortKeys>();
    return *keys[def];
  }

  void computeKey(const RecordTable& table, int def, RecId id) {
    keysOf(def).compute(id, table.value(id, def), theCollator(), scratch);
  }

  // A value of `id` changed: the keys of every definition are stale; the
  // sort field's key is computed at once because the view needs it.
  void valuesChanged(const RecordTable& table, RecId id) {
    for (auto& k : keys)
      if (k) k->invalidate(id);
    if (sortDef >= 0) computeKey(table, sortDef, id);
  }

  // Whether `a` comes before `b` in the current order.
  bool before(RecId a, RecId b) const { return sortDef < 0 ? a < b : keys[sortDef]->less(a, b); }

  std::size_t lowerBound(const std::vector<RecId>& v, std::size_t lo, std::size_t hi, RecId id) const {
    return static_cast<std::size_t>(
        std::lower_bound(v.begin() + lo, v.begin() + hi, id, [this](RecId e, RecId x) { return before(e, x); }) -
        v.begin());
  }

  // Place of `id` in an ordered list; npos when it is not there.
  std::size_t find(const std::vector<RecId>& v, RecId id) const {
    const std::size_t p = lowerBound(v, 0, v.size(), id);
    return p < v.size() && v[p] == id ? p : std::string::npos;
  }

  // The record at `p` got a new sort value: shift it to its new place,
  // moving only the records between the old and the new place.
  std::size_t relocate(std::vector<RecId>& v, std::size_t p) const {
    const RecId id = v[p];
    if (p > 0 && before(id, v[p - 1])) {
      const std::size_t q = lowerBound(v, 0, p, id);
      std::move_backward(v.begin() + q, v.begin() + p, v.begin() + p + 1);
      v[q] = id;
      return q;
    }
    if (p + 1 < v.size() && before(v[p + 1], id)) {
      const std::size_t q = lowerBound(v, p + 1, v.size(), id);
      std::move(v.begin() + p + 1, v.begin() + q, v.begin() + p);
      v[q - 1] = id;
      return q - 1;
    }
    return p;
  }

  std::size_t insert(std::vector<RecId>& v, RecId id) const {
    const std::size_t p = lowerBound(v, 0, v.size(), id);
    v.insert(v.begin() + p, id);
    return p;
  }
};

namespace {

// Marks the record under the filter predicate for the predicate's reads.
class Testing {
 public:
  Testing(RecId& slot, RecId id) : slot_(slot) { slot_ = id; }
  ~Testing() { slot_ = kNone; }
  Testing(const Testing&) = delete;
  Testing& operator=(const Testing&) = delete;

 private:
  RecId& slot_;
};

}  // namespace

RecordStore::RecordStore() : impl_(std::make_unique<Impl>()) {}
RecordStore::~RecordStore() = default;

// --- state checks -----------------------------------------------------------------

void RecordStore::requireOpen() const {
  if (state_ == StoreState::Closed) throw StoreError("Cannot perform this operation on a closed record store");
}

void RecordStore::requireBrowse() const {
  requireOpen();
  if (state_ != StoreState::Browse)
    throw StoreError("Cannot perform this operation while a record is being edited or appended");
}

int RecordStore::checkedDef(int listPos) const {
  requireOpen();
  if (listPos < 0 || listPos >= static_cast<int>(fieldList_.size()))
    throw StoreError("Field index out of range: " + std::to_string(listPos));
  return fieldList_[listPos];
}

// --- opening and closing -------------------------------------------------------

void RecordStore::open() {
  if (active()) return;
  open(loadPacket(fileName_));
}

void RecordStore::open(RecordTable table) {
  if (active()) return;
  table_ = std::move(table);
  Impl& d = *impl_;
  fieldList_.resize(table_.defs().size());
  for (std::size_t i = 0; i < fieldList_.size(); ++i) fieldList_[i] = static_cast<int>(i);
  d.keys.clear();
  d.sortDef = -1;
  indexFieldNames_.clear();
  filtered_ = false;
  d.filteredView = {};
  d.accepted = {};
  d.order.clear();
  reserveAhead(d.order, table_.liveCount());
  table_.reserve(table_.idLimit() + table_.idLimit() / 4 + 1024);
  table_.forEachLive([&](RecId id) { d.order.push_back(id); });
  d.testing = kNone;
  changeCount_ = 0;
  state_ = StoreState::Browse;
  d.cur = d.order.empty() ? -1 : 0;
  bof_ = true;
  eof_ = d.order.empty();
  ++viewGeneration_;
  notify();
}

void RecordStore::createEmpty(std::vector<FieldDef> defs) { open(RecordTable(std::move(defs))); }

void RecordStore::close() {
  if (!active()) return;
  Impl& d = *impl_;
  state_ = StoreState::Closed;
  table_ = RecordTable();
  fieldList_.clear();
  d.keys.clear();
  d.sortDef = -1;
  d.order = {};
  d.filteredView = {};
  d.accepted = {};
  d.buffer.clear();
  d.bufferHas.clear();
  d.cur = -1;
  indexFieldNames_.clear();
  filtered_ = false;
  bof_ = eof_ = true;
  ++viewGeneration_;
}

bool RecordStore::needsSaveOnClose() const {
  std::error_code ec;
  return changeCount_ != 0 || !std::filesystem::exists(fileName_, ec);
}

void RecordStore::saveToFile(const std::filesystem::path& path, PacketForm form) const {
  requireOpen();
  savePacket(table_, path, form);
}

// --- fields ---------------------------------------------------------------------

void RecordStore::moveField(int from, int to) {
  requireOpen();
  const int n = static_cast<int>(fieldList_.size());
  if (from < 0 || from >= n || to < 0 || to >= n)
    throw StoreError("Field index out of range: " + std::to_string(from < 0 || from >= n ? from : to));
  const int def = fieldList_[from];
  fieldList_.erase(fieldList_.begin() + from);
  fieldList_.insert(fieldList_.begin() + to, def);
}

int RecordStore::findField(std::string_view name) const {
  for (std::size_t pos = 0; pos < fieldList_.size(); ++pos)
    if (cp1250::equalsNoCase(table_.defs()[fieldList_[pos]].name, name)) return static_cast<int>(pos);
  return -1;
}

int RecordStore::fieldByName(std::string_view name) const {
  const int pos = findField(name);
  if (pos < 0) throw StoreError("Field '" + cp1250::toUtf8(name) + "' not found");
  return pos;
}

Value RecordStore::currentValue(int def) const {
  const Impl& d = *impl_;
  if (d.testing != kNone) return table_.value(d.testing, def);
  if (state_ == StoreState::Edit || state_ == StoreState::Append) {
    if (!d.bufferHas[def]) return std::nullopt;
    return std::string_view(d.buffer[def]);
  }
  const auto& view = impl_->view(filtered_);
  if (d.cur < 0) return std::nullopt;
  return table_.value(view[d.cur], def);
}

std::string_view RecordStore::text(int listPos) const { return currentValue(checkedDef(listPos)).value_or(""); }

bool RecordStore::hasValue(int listPos) const { return currentValue(checkedDef(listPos)).has_value(); }

void RecordStore::setText(int listPos, std::string_view text) {
  const int def = checkedDef(listPos);
  if (state_ != StoreState::Edit && state_ != StoreState::Append)
    throw StoreError("Cannot assign a field value: the record store is not in edit or append mode");
  impl_->buffer[def] = storedForm(text, table_.defs()[def].width);
  impl_->bufferHas[def] = 1;
  notify();
}

// --- moving ------------------------------------------------------------------------

void RecordStore::first() {
  requireBrowse();
  const auto& view = impl_->view(filtered_);
  impl_->cur = view.empty() ? -1 : 0;
  bof_ = true;
  eof_ = view.empty();
  notify();
}

void RecordStore::last() {
  requireBrowse();
  const auto& view = impl_->view(filtered_);
  impl_->cur = static_cast<int>(view.size()) - 1;
  eof_ = true;
  bof_ = view.empty();
  notify();
}

void RecordStore::next() {
  requireBrowse();
  if (eof_) return;
  const auto& view = impl_->view(filtered_);
  if (impl_->cur + 1 >= static_cast<int>(view.size())) {
    eof_ = true;
  } else {
    ++impl_->cur;
    bof_ = eof_ = false;
  }
  notify();
}

void RecordStore::prior() {
  requireBrowse();
  if (bof_) return;
  if (impl_->cur <= 0) {
    bof_ = true;
  } else {
    --impl_->cur;
    bof_ = eof_ = false;
  }
  notify();
}

int RecordStore::recNo() const {
  requireOpen();
  if (state_ == StoreState::Append) return -1;
  return impl_->cur + 1;
}

void RecordStore::setRecNo(int pos) {
  requireBrowse();
  if (pos == impl_->cur + 1) return;
  if (pos < 1 || pos > recordCount()) throw StoreError("Record number out of range: " + std::to_string(pos));
  impl_->cur = pos - 1;
  bof_ = eof_ = false;
  notify();
}

int RecordStore::recordCount() const {
  requireOpen();
  return static_cast<int>(impl_->view(filtered_).size());
}

// --- editing ---------------------------------------------------------------------

void RecordStore::append() {
  requireBrowse();
  Impl& d = *impl_;
  d.buffer.assign(table_.defs().size(), std::string());
  d.bufferHas.assign(table_.defs().size(), 0);
  state_ = StoreState::Append;
  ++viewGeneration_;
  notify();
}

void RecordStore::edit() {
  requireOpen();
  if (state_ == StoreState::Edit) return;
  requireBrowse();
  Impl& d = *impl_;
  if (d.cur < 0) throw StoreError("Cannot edit: there is no current record");
  const RecId id = d.view(filtered_)[d.cur];
  const int n = table_.fieldCount();
  d.buffer.assign(n, std::string());
  d.bufferHas.assign(n, 0);
  for (int f = 0; f < n; ++f) {
    const Value v = table_.value(id, f);
    if (v) {
      d.buffer[f] = *v;
      d.bufferHas[f] = 1;
    }
  }
  state_ = StoreState::Edit;
}

void RecordStore::cancel() {
  requireOpen();
  if (state_ == StoreState::Browse) return;
  if (state_ == StoreState::Append) ++viewGeneration_;
  state_ = StoreState::Browse;
  notify();
}

void RecordStore::post() {
  requireOpen();
  if (state_ == StoreState::Browse) return;
  Impl& d = *impl_;
  std::vector<Value> values(table_.defs().size());
  for (std::size_t f = 0; f < values.size(); ++f)
    if (d.bufferHas[f]) values[f] = std::string_view(d.buffer[f]);

  auto accepts = [&](RecId id) {
    if (!filtered_ || !d.predicate) return true;
    Testing t(d.testing, id);
    return d.predicate();
  };

  if (state_ == StoreState::Append) {
    const RecId id = table_.append(values);
    bool accepted;
    try {
      if (d.sortDef >= 0) d.computeKey(table_, d.sortDef, id);
      accepted = accepts(id);
    } catch (...) {
      table_.remove(id);  // leaves a hole in the numbering, nothing else
      throw;
    }
    const std::size_t inOrder = d.insert(d.order, id);
    if (filtered_) {
      d.accepted.resize(table_.idLimit(), 0);
      d.accepted[id] = accepted;
    }
    // A record the filter rejects is stored but not shown; the record that
    // was current before Append stays current then.
    if (accepted) d.cur = static_cast<int>(filtered_ ? d.insert(d.filteredView, id) : inOrder);
  } else {
    auto& view = d.view(filtered_);
    const std::size_t inView = static_cast<std::size_t>(d.cur);
    const RecId id = view[inView];
    // Found while the old sort value is still cached.
    const std::size_t inOrder = filtered_ ? d.find(d.order, id) : inView;
    const std::vector<Value> old = table_.values(id);  // stays readable: replace keeps the old blob
    table_.replace(id, values);
    bool accepted;
    try {
      d.valuesChanged(table_, id);
      accepted = accepts(id);
    } catch (...) {
      table_.replace(id, old);
      d.valuesChanged(table_, id);
      throw;
    }
    const std::size_t newPlace = d.relocate(d.order, inOrder);
    if (!filtered_) {
      d.cur = static_cast<int>(newPlace);
    } else {
      d.accepted[id] = accepted;
      if (accepted) {
        d.cur = static_cast<int>(d.relocate(d.filteredView, inView));
      } else {
        // Gone from the view: the record that followed it becomes current.
        d.filteredView.erase(d.filteredView.begin() + static_cast<std::ptrdiff_t>(inView));
        d.cur = std::min(d.cur, static_cast<int>(d.filteredView.size()) - 1);
      }
    }
  }
  state_ = StoreState::Browse;
  ++changeCount_;
  afterViewChange();
  notify();
}

void RecordStore::deleteRecord() {
  requireBrowse();
  Impl& d = *impl_;
  auto& view = d.view(filtered_);
  if (d.cur < 0) throw StoreError("Cannot delete: there is no current record");
  const RecId id = view[d.cur];
  if (filtered_) d.order.erase(d.order.begin() + static_cast<std::ptrdiff_t>(d.find(d.order, id)));
  view.erase(view.begin() + d.cur);
  table_.remove(id);
  d.cur = std::min(d.cur, static_cast<int>(view.size()) - 1);
  ++changeCount_;
  afterViewChange();
  notify();
}

// After a change of the rows: flags by the new view, and a new generation.
void RecordStore::afterViewChange() {
  const bool empty = impl_->view(filtered_).empty();
  bof_ = eof_ = empty;
  ++viewGeneration_;
}

// --- order and filter ---------------------------------------------------------------

void RecordStore::rebuildOrder(int sortDef) {
  Impl& d = *impl_;
  const auto& oldView = d.view(filtered_);
  const RecId current = d.cur >= 0 ? oldView[d.cur] : kNone;

  std::vector<RecId> order;
  reserveAhead(order, table_.liveCount());
  if (sortDef < 0) {
    table_.forEachLive([&](RecId id) { order.push_back(id); });
  } else {
    SortKeys& keys = d.keysOf(sortDef);
    keys.grow(table_.idLimit());
    const Collator& collator = d.theCollator();
    std::vector<SortItem> items;
    items.reserve(table_.liveCount());
    table_.forEachLive([&](RecId id) {
      if (!keys.has(id)) keys.compute(id, table_.value(id, sortDef), collator, d.scratch);
      items.push_back({keys.prefix(id), id});
    });
    std::vector<SortItem> temp(items.size());
    sortByKeys(items.data(), temp.data(), items.size(), 0, keys);
    for (const SortItem& item : items) order.push_back(item.id);
  }

  std::vector<RecId> filteredView;
  if (filtered_) {
    reserveAhead(filteredView, d.filteredView.size());
    for (RecId id : order)
      if (d.accepted[id]) filteredView.push_back(id);
  }

  d.order = std::move(order);
  d.filteredView = std::move(filteredView);
  d.sortDef = sortDef;
  const auto& view = d.view(filtered_);
  d.cur = current == kNone ? (view.empty() ? -1 : 0) : static_cast<int>(d.find(view, current));
  bof_ = eof_ = view.empty();
  ++viewGeneration_;
}

void RecordStore::setIndexFieldNames(std::string_view fieldName) {
  requireBrowse();
  const int def = fieldName.empty() ? -1 : defIndex(fieldByName(fieldName));
  if (def != impl_->sortDef) rebuildOrder(def);
  indexFieldNames_ = fieldName;
  notify();
}

void RecordStore::setSortLocale(std::string locale) {
  Impl& d = *impl_;
  const bool resort = active() && d.sortDef >= 0;
  if (resort) requireBrowse();
  auto collator = locale.empty() ? std::make_unique<Collator>() : std::make_unique<Collator>(locale.c_str());
  d.sortLocale = std::move(locale);
  d.collator = std::move(collator);
  d.keys.clear();
  if (resort) {
    rebuildOrder(d.sortDef);
    notify();
  }
}

const Collator& RecordStore::collator() const { return impl_->theCollator(); }

void RecordStore::setFilterPredicate(std::function<bool()> predicate) { impl_->predicate = std::move(predicate); }

void RecordStore::setContainsFilter(int listPos, std::string needle) {
  const int def = checkedDef(listPos);
  impl_->predicate = [this, def, needle = std::move(needle), lowered = std::string()]() mutable {
    cp1250::lowerInto(lowered, currentValue(def).value_or(""));
    return lowered.find(needle) != std::string::npos;
  };
}

void RecordStore::setFiltered(bool on) {
  requireBrowse();
  Impl& d = *impl_;
  if (on) {
    // The predicate runs in natural order, which walks the records' memory
    // front to back; the view then follows the current order.
    std::vector<std::uint8_t> accepted;
    reserveAhead(accepted, table_.idLimit());
    accepted.resize(table_.idLimit(), 0);
    if (d.predicate) {
      table_.forEachLive([&](RecId id) {
        Testing t(d.testing, id);
        accepted[id] = d.predicate();
      });
    } else {
      for (RecId id : d.order) accepted[id] = 1;
    }
    std::vector<RecId> view;
    for (RecId id : d.order)
      if (accepted[id]) view.push_back(id);
    reserveAhead(view, view.size());
    d.accepted = std::move(accepted);
    d.filteredView = std::move(view);
  } else {
    d.accepted = {};
    d.filteredView = {};
  }
  filtered_ = on;
  const auto& view = d.view(filtered_);
  d.cur = view.empty() ? -1 : 0;
  bof_ = true;
  eof_ = view.empty();
  ++viewGeneration_;
  notify();
}

// --- bookmarks ---------------------------------------------------------------------------

RecordStore::Bookmark RecordStore::bookmark() const {
  requireOpen();
  if (state_ == StoreState::Append || impl_->cur < 0) return kNoBookmark;
  return impl_->view(filtered_)[impl_->cur];
}

void RecordStore::gotoBookmark(Bookmark b) {
  requireBrowse();
  if (b == kNoBookmark) return;
  const auto& view = impl_->view(filtered_);
  const std::size_t pos = table_.alive(b) ? impl_->find(view, b) : std::string::npos;
  if (pos == std::string::npos) throw StoreError("Record not found");
  impl_->cur = static_cast<int>(pos);
  bof_ = eof_ = false;
  notify();
}

std::string RecordStore::bookmarkText() const {
  const Bookmark b = bookmark();
  return b == kNoBookmark ? std::string() : std::to_string(b);
}

void RecordStore::setBookmarkText(std::string_view text) {
  if (text.empty()) return;
  Bookmark b = kNoBookmark;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), b);
  if (ec != std::errc() || end != text.data() + text.size() || b == kNoBookmark)
    throw StoreError("Invalid bookmark: " + cp1250::toUtf8(text));
  gotoBookmark(b);
}

// --- notifications --------------------------------------------------------------------------

int RecordStore::addDataChangeListener(Listener l) {
  const int id = impl_->nextListener++;
  impl_->listeners.push_back({id, std::move(l)});
  return id;
}

void RecordStore::removeDataChangeListener(int id) {
  auto& ls = impl_->listeners;
  const auto it = std::find_if(ls.begin(), ls.end(), [id](const Impl::Entry& e) { return e.id == id; });
  if (it == ls.end()) return;
  if (impl_->notifying) {
    it->listener = nullptr;  // dropped once the notification is over
  } else {
    ls.erase(it);
  }
}

void RecordStore::freezeNotifications() { ++frozen_; }

void RecordStore::releaseNotifications() {
  if (frozen_ == 0) return;
  if (--frozen_ == 0) notify();
}

void RecordStore::notify() {
  if (state_ == StoreState::Closed || frozen_ > 0) return;
  Impl& d = *impl_;
  ++d.notifying;
  struct Done {
    Impl& d;
    ~Done() {
      if (--d.notifying == 0)
        std::erase_if(d.listeners, [](const Impl::Entry& e) { return !e.listener; });
    }
  } done{d};
  // Listeners added during the notification hear the next one.
  const std::size_t n = d.listeners.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (!d.listeners[i].listener) continue;
    Listener l = d.listeners[i].listener;  // the entry may move while it runs
    l();
  }
}

// --- rows for a grid ------------------------------------------------------------------------------

int RecordStore::displayRowCount() const {
  if (!active()) return 0;
  return static_cast<int>(impl_->view(filtered_).size()) + (state_ == StoreState::Append ? 1 : 0);
}

int RecordStore::displayCurrentRow() const {
  if (!active()) return -1;
  if (state_ == StoreState::Append) return static_cast<int>(impl_->view(filtered_).size());
  return impl_->cur;
}

std::string_view RecordStore::displayText(int row, int listPos) const {
  if (!active() || listPos < 0 || listPos >= static_cast<int>(fieldList_.size()) || row < 0) return {};
  const Impl& d = *impl_;
  const int def = fieldList_[listPos];
  const auto& view = impl_->view(filtered_);
  const bool pending = (state_ == StoreState::Append && row == static_cast<int>(view.size())) ||
                       (state_ == StoreState::Edit && row == d.cur);
  if (pending) return d.bufferHas[def] ? std::string_view(d.buffer[def]) : std::string_view();
  if (row >= static_cast<int>(view.size())) return {};
  return table_.value(view[row], def).value_or("");
}

}  // namespace store
