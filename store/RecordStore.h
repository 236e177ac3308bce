#pragma once
// ClientDataSet1: the in-memory record store. It presents a view (the
// records in the current order, limited by the filter), keeps one current
// record of that view and sends a data-change notification after every
// move, change and change of the view.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PacketForm.h"
#include "RecordTable.h"
#include "StoreError.h"

namespace store {

enum class StoreState { Closed, Browse, Edit, Append };

class Collator;

class RecordStore {
 public:
  RecordStore();
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  // --- opening and closing -------------------------------------------------
  void setFileName(std::filesystem::path path) { fileName_ = std::move(path); }
  const std::filesystem::path& fileName() const { return fileName_; }
  // Loads the bound file and opens: natural order, no sort field, filtering
  // off, first record current, one notification. Nothing when already open.
  // Throws StoreError (or the file layer's error) and stays closed on failure.
  void open();
  // Opens with the given records (for tests and the loader).
  void open(RecordTable table);
  void createEmpty(std::vector<FieldDef> defs);
  bool active() const { return state_ != StoreState::Closed; }
  // Closes without saving; the main window decides about the automatic
  // save (needsSaveOnClose) before it closes the store.
  void close();
  // Whether closing should write the bound file: changed since loading or
  // created, or the file no longer exists.
  bool needsSaveOnClose() const;
  // Writes every record in natural order to `path`; moves nothing, sends
  // nothing. Goes through the file layer (temporary file, then rename).
  void saveToFile(const std::filesystem::path& path, PacketForm form = PacketForm::Default) const;

  // --- fields -----------------------------------------------------------------
  const std::vector<FieldDef>& fieldDefs() const { return table_.defs(); }
  int fieldCount() const { return table_.fieldCount(); }
  // The field list: position -> definition index. Starts in definition order.
  int defIndex(int listPos) const { return fieldList_.at(listPos); }
  const FieldDef& field(int listPos) const { return table_.defs()[defIndex(listPos)]; }
  const std::string& fieldName(int listPos) const { return field(listPos).name; }
  void moveField(int from, int to);
  // List position of the field named `name`, letters without regard to
  // case; -1 when there is none.
  int findField(std::string_view name) const;
  // As findField, but a name that matches no field is an error.
  int fieldByName(std::string_view name) const;

  // The text of a field of the current record (or of the record being
  // tested while the filter predicate runs): empty for no value.
  std::string_view text(int listPos) const;
  bool hasValue(int listPos) const;
  std::string_view text(std::string_view name) const { return text(fieldByName(name)); }
  // Editing and appending only: cut to width, trailing spaces removed; notifies.
  void setText(int listPos, std::string_view text);
  void setText(std::string_view name, std::string_view text) { setText(fieldByName(name), text); }

  // --- moving ------------------------------------------------------------------
  void first();
  void last();
  void next();
  void prior();
  int recNo() const;       // 1-based; 0 empty view; -1 while appending
  void setRecNo(int pos);  // 1..count; the present position does nothing
  int recordCount() const;
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  StoreState state() const { return state_; }

  // --- editing -----------------------------------------------------------------
  void append();
  void edit();
  void post();
  void cancel();
  void deleteRecord();

  // --- order and filter ---------------------------------------------------
  void setIndexFieldNames(std::string_view fieldName);  // empty: natural order
  const std::string& indexFieldNames() const { return indexFieldNames_; }
  // The predicate reads the record under test through text()/hasValue();
  // it must not move, change or notify.
  void setFilterPredicate(std::function<bool()> predicate);
  // The filter as a value: the records whose field at list position
  // `listPos` contains `needle`, letters compared through the code page's
  // lower-casing (`needle` is lower-cased already). The field is kept, not
  // its position: moving fields does not change the condition. Replaces
  // the predicate; setFiltered(true) applies it.
  void setContainsFilter(int listPos, std::string needle);
  void setFiltered(bool on);
  bool filtered() const { return filtered_; }
  // The locale whose linguistic order sorts the texts; empty: the user's
  // locale (Czech when that is C or POSIX). A sorted view is sorted again.
  void setSortLocale(std::string locale);
  // The comparison that orders a sorted view, for a walk that orders the
  // view's records on its own (a report's groups).
  const Collator& collator() const;

  // --- bookmarks -----------------------------------------------------------------
  // A bookmark names a record, not a position; it holds nothing that needs
  // releasing, so freeBookmark only exists for symmetry with the callers.
  using Bookmark = RecId;
  static constexpr Bookmark kNoBookmark = ~Bookmark{0};  // no current record
  Bookmark bookmark() const;
  void gotoBookmark(Bookmark b);  // kNoBookmark does nothing
  void freeBookmark(Bookmark) {}
  std::string bookmarkText() const;             // empty without a current record
  void setBookmarkText(std::string_view text);  // empty text does nothing

  // --- notifications ------------------------------------------------------------
  using Listener = std::function<void()>;
  int addDataChangeListener(Listener l);
  void removeDataChangeListener(int id);
  void freezeNotifications();
  void releaseNotifications();
  bool notificationsFrozen() const { return frozen_ > 0; }
  // Grows whenever the rows of the view change (open, sort, filter, store,
  // delete, append started or ended), so a grid can tell a move from a change
  // of its rows.
  std::uint64_t viewGeneration() const { return viewGeneration_; }

  // --- change log and counter -------------------------------------------------
  void setLogChanges(bool on) { logChanges_ = on; }
  bool logChanges() const { return logChanges_; }
  std::uint64_t changeCount() const { return changeCount_; }

  // --- rows of the view for a grid, without moving -------------------------
  // Rows shown: the view plus, while appending, the new record at its end.
  int displayRowCount() const;
  // 0-based row of the current record in displayRowCount() terms; -1 none.
  int displayCurrentRow() const;
  std::string_view displayText(int row, int listPos) const;

  const RecordTable& table() const { return table_; }

 private:
  struct Impl;

  void requireOpen() const;
  void requireBrowse() const;
  int checkedDef(int listPos) const;
  Value currentValue(int def) const;
  void rebuildOrder(int sortDef);
  void afterViewChange();
  void notify();

  std::unique_ptr<Impl> impl_;
  std::filesystem::path fileName_;
  RecordTable table_;
  std::vector<int> fieldList_;
  StoreState state_ = StoreState::Closed;
  bool bof_ = true, eof_ = true;
  bool filtered_ = false;
  bool logChanges_ = true;
  int frozen_ = 0;
  std::uint64_t changeCount_ = 0;
  std::uint64_t viewGeneration_ = 0;
  std::string indexFieldNames_;
};

// Notifications frozen while a routine walks many records, released on every
// way out: the release sends the one notification after which the bound
// controls show where the walk stopped.
class FrozenNotifications {
 public:
  explicit FrozenNotifications(RecordStore& data) : data_(data) { data_.freezeNotifications(); }
  ~FrozenNotifications() { data_.releaseNotifications(); }
  FrozenNotifications(const FrozenNotifications&) = delete;
  FrozenNotifications& operator=(const FrozenNotifications&) = delete;

 private:
  RecordStore& data_;
};

// A walk that comes back: notifications frozen, and the record current at
// the start current again on every way out (a record gone meanwhile leaves
// the walk where it stopped), before the one notification.
class WalkAndReturn {
 public:
  explicit WalkAndReturn(RecordStore& data) : frozen_(data), data_(data), back_(data.bookmark()) {}
  ~WalkAndReturn() {
    try {
      data_.gotoBookmark(back_);
    } catch (...) {
      // The record is gone: nothing to return to.
    }
    data_.freeBookmark(back_);
  }
  WalkAndReturn(const WalkAndReturn&) = delete;
  WalkAndReturn& operator=(const WalkAndReturn&) = delete;

 private:
  FrozenNotifications frozen_;  // released last, after the return
  RecordStore& data_;
  RecordStore::Bookmark back_;
};

}  // namespace store
