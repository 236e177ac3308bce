#include "VystupniSoubor.h"

#include <algorithm>
#include <cerrno>

#include "FileLayer.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vymena {

namespace {

constexpr std::size_t kBuffer = std::size_t{1} << 16;

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

VystupniSoubor::VystupniSoubor(std::filesystem::path soubor) : soubor_(std::move(soubor)) {
#ifdef _WIN32
  fd_ = ::_wopen(soubor_.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  do fd_ = ::open(soubor_.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
  while (fd_ < 0 && errno == EINTR);
#endif
  if (fd_ < 0) throw files::FileError(files::cannotCreate(soubor_, errno));
  buffer_.reserve(kBuffer);
}

VystupniSoubor::~VystupniSoubor() {
#ifdef _WIN32
  if (fd_ >= 0) ::_close(fd_);
#else
  if (fd_ >= 0) ::close(fd_);
#endif
}

void VystupniSoubor::zapis(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBuffer) vyprazdni();
  if (bytes.size() >= kBuffer) {
    buffer_.assign(bytes);
    vyprazdni();
    buffer_.reserve(kBuffer);
    return;
  }
  buffer_.append(bytes);
}

void VystupniSoubor::vyprazdni() {
  if (fd_ < 0) chyba(EBADF);
  std::string_view rest = buffer_;
  while (!rest.empty()) {
#ifdef _WIN32
    const long written = ::_write(fd_, rest.data(), static_cast<unsigned>(std::min<std::size_t>(rest.size(), 1u << 30)));
#else
    const long written = static_cast<long>(::write(fd_, rest.data(), rest.size()));
#endif
    if (written < 0) {
      if (errno == EINTR) continue;
      chyba(errno);
    }
    if (written == 0) chyba(EIO);
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  buffer_.clear();
}

void VystupniSoubor::zavri() {
  vyprazdni();
#ifdef _WIN32
  const int rc = ::_close(fd_);
#else
  const int rc = ::close(fd_);
#endif
  fd_ = -1;
  if (rc != 0 && errno != EINTR) chyba(errno);
}

void VystupniSoubor::chyba(int err) {
  buffer_.clear();
  throw files::FileError("Unable to write to \"" + utf8(soubor_) + "\". " + files::systemReason(err));
}

}  // namespace vymena
