#pragma once
// An export file written in place: created (or emptied) when opened, filled
// through a buffer, closed at the end. Unlike the file layer's atomic
// writer it leaves what it wrote on disk when an error stops it, which is
// what the table exports promise. Every error names the file.
#include <filesystem>
#include <string>
#include <string_view>

namespace vymena {

class VystupniSoubor {
 public:
  // Creates or empties the file; throws files::FileError ("Cannot create
  // file ...") when that is not possible.
  explicit VystupniSoubor(std::filesystem::path soubor);
  // Closes without reporting: an error path is already on its way.
  ~VystupniSoubor();
  VystupniSoubor(const VystupniSoubor&) = delete;
  VystupniSoubor& operator=(const VystupniSoubor&) = delete;

  void zapis(std::string_view bytes);
  void zapis(char c) {
    if (buffer_.size() == buffer_.capacity()) vyprazdni();
    buffer_.push_back(c);
  }
  // Writes what is buffered and closes; throws files::FileError ("Unable to
  // write to ...") on failure.
  void zavri();
  const std::filesystem::path& soubor() const { return soubor_; }

 private:
  void vyprazdni();
  [[noreturn]] void chyba(int err);

  std::filesystem::path soubor_;
  std::string buffer_;
  int fd_ = -1;
};

}  // namespace vymena
