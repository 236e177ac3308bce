#include "Collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "CodePage.h"

namespace store {

namespace {

// The locale that orders the user's texts: the collation variables of the
// environment first, then ICU's own idea of the default. The C and POSIX
// locales say nothing about Czech letters, so the register falls back to
// Czech for them.
std::string userLocale() {
  std::string name;
  for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) {
      name = value;
      break;
    }
  }
  if (name.empty()) name = uloc_getDefault();
  // "cs_CZ.UTF-8@euro" -> "cs_CZ"
  name = name.substr(0, name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX" || name == "en_US_POSIX") name = "cs";
  return name;
}

// A Windows-1250 text as UTF-16, in a buffer that lives on the stack for
// the short texts of a register.
class Utf16 {
 public:
  explicit Utf16(std::string_view text) {
    if (text.size() > kInline) {
      heap_.resize(text.size());
      data_ = heap_.data();
    }
    for (std::size_t i = 0; i < text.size(); ++i)
      data_[i] = static_cast<UChar>(cp1250::toUnicode(static_cast<unsigned char>(text[i])));
    size_ = static_cast<int32_t>(text.size());
  }
  const UChar* data() const { return data_; }
  int32_t size() const { return size_; }

 private:
  static constexpr std::size_t kInline = 512;
  UChar inline_[kInline];
  std::vector<UChar> heap_;
  UChar* data_ = inline_;
  int32_t size_ = 0;
};

}  // namespace

struct Collator::Impl {
  UCollator* collator = nullptr;
  ~Impl() {
    if (collator) ucol_close(collator);
  }
};

Collator::Collator() : Collator(userLocale().c_str()) {}

Collator::Collator(const char* locale) : impl_(std::make_unique<Impl>()) {
  UErrorCode status = U_ZERO_ERROR;
  impl_->collator = ucol_open(locale, &status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("Cannot open the collation for locale ") + locale);
  // Tertiary: letters with diacritics and upper and lower case all count.
  ucol_setStrength(impl_->collator, UCOL_TERTIARY);
}

Collator::~Collator() = default;

int Collator::compare(std::string_view a, std::string_view b) const {
  const Utf16 ua(a), ub(b);
  switch (ucol_strcoll(impl_->collator, ua.data(), ua.size(), ub.data(), ub.size())) {
    case UCOL_LESS: return -1;
    case UCOL_GREATER: return 1;
    default: return 0;
  }
}

void Collator::appendSortKey(std::string_view text, std::string& out) const {
  const Utf16 u(text);
  const std::size_t start = out.size();
  // Short texts give keys of a few bytes per character; guess generously
  // and ask again only when the guess was short.
  std::size_t room = 4 * text.size() + 16;
  for (;;) {
    out.resize(start + room);
    const int32_t needed = ucol_getSortKey(impl_->collator, u.data(), u.size(),
                                           reinterpret_cast<uint8_t*>(out.data() + start),
                                           static_cast<int32_t>(room));
    if (needed <= 0) throw std::runtime_error("Cannot compute a sort key");
    if (static_cast<std::size_t>(needed) <= room) {
      out.resize(start + static_cast<std::size_t>(needed) - 1);  // without the terminating zero
      return;
    }
    room = static_cast<std::size_t>(needed);
  }
}

}  // namespace store
