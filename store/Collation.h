#pragma once
// Sort comparison of Windows-1250 texts in the linguistic order of the
// user's locale (Czech when the locale is C or POSIX), upper and lower case
// distinguished.
#include <memory>
#include <string>
#include <string_view>

namespace store {

class Collator {
 public:
  Collator();  // the user's locale
  explicit Collator(const char* locale);
  ~Collator();
  Collator(const Collator&) = delete;
  Collator& operator=(const Collator&) = delete;

  // <0, 0, >0
  int compare(std::string_view a, std::string_view b) const;
  // Appends the sort key of `text`. Keys compared byte by byte as unsigned
  // (memcmp over the shorter length, then the shorter key first) give the
  // order of compare(); a key never contains a zero byte.
  void appendSortKey(std::string_view text, std::string& out) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace store
