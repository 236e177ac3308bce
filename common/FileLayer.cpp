#include "FileLayer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace files {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// One low-level write never asks for more than this (the Windows call takes
// an unsigned int count).
constexpr std::size_t kMaxWriteChunk = std::size_t{1} << 30;

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// --- fault injection ------------------------------------------------------------
struct PendingFault {
  Step step;
  int remaining;
  int error;
};
std::vector<PendingFault> pendingFaults;
std::function<void(Step)> stepObserver;
bool syncEnabled = true;

// Announces a step about to run and returns the errno it must fail with, or 0.
int enterStep(Step step) {
  if (stepObserver) stepObserver(step);
  int error = 0;
  for (auto it = pendingFaults.begin(); it != pendingFaults.end();) {
    if (it->step == step && --it->remaining <= 0 && error == 0) {
      error = it->error;
      it = pendingFaults.erase(it);
    } else {
      ++it;
    }
  }
  return error;
}

std::filesystem::path fromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string randomSuffix() {
  static std::mt19937_64 engine{std::random_device{}()};
  static const char digits[] = "0123456789abcdef";
  std::uint64_t bits = engine();
  std::string text(8, '0');
  for (char& c : text) {
    c = digits[bits & 0xF];
    bits >>= 4;
  }
  return text;
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

#ifdef _WIN32
int errnoFromWin32(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WRITE_PROTECT: return EROFS;
    default: return EIO;
  }
}
#endif

int openTemporary(const std::filesystem::path& temp) {
#ifdef _WIN32
  return ::_wopen(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  const int fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  // Held while the save runs: the clean-up at start leaves a held file alone.
  if (fd >= 0) (void)::flock(fd, LOCK_EX | LOCK_NB);
  return fd;
#endif
}

// The existing target, opened for writing over it; nothing is cut yet.
int openInPlace(const std::filesystem::path& target) {
#ifdef _WIN32
  return ::_wopen(target.c_str(), _O_WRONLY | _O_BINARY);
#else
  return ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
#endif
}

// Claims room for `size` bytes, so that a full disk refuses the write before
// the old content is overwritten. 0, or the errno; a file system that cannot
// claim room says nothing.
int reserve([[maybe_unused]] int fd, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
  if (size == 0) return 0;
  if (::fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0) return 0;
  const int err = errno;
  return err == EOPNOTSUPP || err == ENOSYS || err == EINVAL ? 0 : err;
#else
  return 0;
#endif
}

int truncateTo(int fd, std::size_t size) {
#ifdef _WIN32
  return ::_chsize_s(fd, static_cast<long long>(size)) == 0 ? 0 : -1;
#else
  int rc;
  do rc = ::ftruncate(fd, static_cast<off_t>(size));
  while (rc != 0 && errno == EINTR);
  return rc;
#endif
}

long lowWrite(int fd, const char* data, std::size_t size) {
#ifdef _WIN32
  return ::_write(fd, data, static_cast<unsigned>(size));
#else
  return static_cast<long>(::write(fd, data, size));
#endif
}

int lowSync(int fd) {
  if (!syncEnabled) return 0;
#ifdef _WIN32
  return ::_commit(fd);
#else
  int rc;
  do rc = ::fsync(fd);
  while (rc != 0 && errno == EINTR);
  return rc;
#endif
}

int lowClose(int fd) {
#ifdef _WIN32
  return ::_close(fd);
#else
  return ::close(fd);
#endif
}

void removeQuietly(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

// Makes the rename itself durable; a file system that cannot sync a
// directory still has the new content in place, so this never fails.
void syncDirectory([[maybe_unused]] const std::filesystem::path& dir) {
#ifndef _WIN32
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  lowSync(fd);
  ::close(fd);
#endif
}

}  // namespace

std::string systemReason(int err) {
  return std::generic_category().message(err);
}

std::string cannotOpen(const std::filesystem::path& path, int err) {
  return "Cannot open file \"" + utf8(path) + "\". " + systemReason(err);
}

std::string cannotCreate(const std::filesystem::path& path, int err) {
  return "Cannot create file \"" + utf8(path) + "\". " + systemReason(err);
}

// --- AtomicWriter -----------------------------------------------------------------

AtomicWriter::AtomicWriter(std::filesystem::path target) : target_(std::move(target)) {
  // A link to the file is kept: the file it points to gets the new content.
  dest_ = target_;
  std::error_code ec;
  if (std::filesystem::is_symlink(target_, ec)) {
    auto resolved = std::filesystem::canonical(target_, ec);
    if (!ec) dest_ = std::move(resolved);
  }

  int mode = -1;
  bool regular = false;  // the target is there, a file that may be written
#ifdef _WIN32
  struct _stat64 st;
  if (::_wstat64(dest_.c_str(), &st) == 0) {
    if ((st.st_mode & _S_IFMT) == _S_IFDIR) fail(EISDIR);
    if (!(st.st_mode & _S_IWRITE)) fail(EACCES);
    regular = (st.st_mode & _S_IFMT) == _S_IFREG;
  }
#else
  struct stat st;
  if (::stat(dest_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    // A write-protected file stays as it is, although the rename could
    // replace it.
    if (::access(dest_.c_str(), W_OK) != 0) fail(errno);
    mode = static_cast<int>(st.st_mode & 07777);
    regular = S_ISREG(st.st_mode);
  }
#endif

  // The directory refuses the temporary file, but the target may be
  // written: the content goes over it in place at the commit.
  auto refused = [&](int err) {
    if ((err == EACCES || err == EPERM) && regular) {
      inPlace_ = true;
      return;
    }
    fail(err);
  };
  if (const int err = enterStep(Step::Create)) {
    refused(err);
    return;
  }
  const std::filesystem::path dir = dest_.parent_path();
  const std::string prefix = "." + utf8(dest_.filename()) + ".";
  for (int attempt = 0;; ++attempt) {
    temp_ = dir / fromUtf8(prefix + randomSuffix() + ".tmp");
    fd_ = openTemporary(temp_);
    if (fd_ >= 0) break;
    const int err = errno;
    if (err == EINTR || (err == EEXIST && attempt < 100)) continue;
    temp_.clear();
    refused(err);
    return;
  }
#ifndef _WIN32
  if (mode >= 0) (void)::fchmod(fd_, static_cast<mode_t>(mode));
#else
  (void)mode;
#endif
  // The buffer grows with what is written, up to kBufferSize: a small file
  // (the settings, the code list) needs no megabyte.
}

AtomicWriter::~AtomicWriter() {
  if (fd_ >= 0) lowClose(fd_);
  if (!committed_ && !temp_.empty()) removeQuietly(temp_);
}

void AtomicWriter::write(std::string_view bytes) {
  if (inPlace_) {
    // Nothing of the target is overwritten before the whole content is here.
    buffer_.append(bytes);
    return;
  }
  if (fd_ < 0) fail(EBADF);
  if (buffer_.size() + bytes.size() > kBufferSize) {
    flushBuffer();
    if (bytes.size() >= kBufferSize) {
      writeAll(bytes);
      return;
    }
  }
  buffer_.append(bytes);
}

void AtomicWriter::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t chunk = std::min(bytes.size(), kMaxWriteChunk);
    long written;
    if (const int err = enterStep(Step::Write)) {
      errno = err;
      written = -1;
    } else {
      written = lowWrite(fd_, bytes.data(), chunk);
    }
    if (written < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    if (written == 0) fail(EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void AtomicWriter::flushBuffer() {
  writeAll(buffer_);
  buffer_.clear();
}

void AtomicWriter::commit() {
  if (inPlace_) {
    commitInPlace();
    return;
  }
  if (fd_ < 0) fail(EBADF);
  if (const int err = enterStep(Step::Flush)) fail(err);
  flushBuffer();

  if (const int err = enterStep(Step::Sync)) fail(err);
  if (lowSync(fd_) != 0) fail(errno);

  const int fd = std::exchange(fd_, -1);
  if (lowClose(fd) != 0) fail(errno);

  if (const int err = enterStep(Step::Rename)) fail(err);
#ifdef _WIN32
  if (!::MoveFileExW(temp_.c_str(), dest_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail(errnoFromWin32(::GetLastError()));
#else
  if (::rename(temp_.c_str(), dest_.c_str()) != 0) fail(errno);
#endif
  committed_ = true;
  syncDirectory(dest_.parent_path());
}

void AtomicWriter::commitInPlace() {
  if (committed_) fail(EBADF);
  if (const int err = enterStep(Step::Create)) fail(err);
  fd_ = openInPlace(dest_);
  if (fd_ < 0) fail(errno);
  const std::size_t size = buffer_.size();
  if (const int err = reserve(fd_, size)) fail(err);

  if (const int err = enterStep(Step::Flush)) fail(err);
  flushBuffer();
  if (truncateTo(fd_, size) != 0) fail(errno);

  if (const int err = enterStep(Step::Sync)) fail(err);
  if (lowSync(fd_) != 0) fail(errno);
  const int fd = std::exchange(fd_, -1);
  if (lowClose(fd) != 0) fail(errno);
  committed_ = true;
}

void AtomicWriter::fail(int err) {
  if (fd_ >= 0) lowClose(std::exchange(fd_, -1));
  if (!temp_.empty()) {
    removeQuietly(temp_);
    temp_.clear();
  }
  buffer_.clear();
  throw FileError(cannotCreate(target_, err));
}

// --- whole files ----------------------------------------------------------------

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  AtomicWriter writer(path);
  writer.write(bytes);
  writer.commit();
}

std::string readWholeFile(const std::filesystem::path& path) {
#ifdef _WIN32
  const int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd < 0) throw FileError(cannotOpen(path, errno));
  std::string content;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) content.reserve(static_cast<std::size_t>(size));
  char chunk[64 * 1024];
  for (;;) {
#ifdef _WIN32
    const long got = ::_read(fd, chunk, sizeof chunk);
#else
    const long got = static_cast<long>(::read(fd, chunk, sizeof chunk));
#endif
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      lowClose(fd);
      throw FileError(cannotOpen(path, err));
    }
    if (got == 0) break;
    content.append(chunk, static_cast<std::size_t>(got));
  }
  lowClose(fd);
  return content;
}

bool isTemporaryName(const std::filesystem::path& path) {
  const std::string name = utf8(path.filename());
  // "." + target name + "." + 8 hex digits + ".tmp"
  constexpr std::size_t tail = 1 + 8 + 4;
  if (name.size() < 1 + 1 + tail || name.front() != '.') return false;
  if (name.compare(name.size() - 4, 4, ".tmp") != 0) return false;
  const std::size_t dot = name.size() - tail;
  if (name[dot] != '.') return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end() - 4, isHexDigit);
}

int removeLeftoverTemporaries(const std::filesystem::path& dir) {
  int removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& path = it->path();
    std::error_code typeError;
    if (!isTemporaryName(path) || !it->is_regular_file(typeError)) continue;
#ifdef _WIN32
    // A file a running save has open cannot be removed.
    std::error_code ignored;
    if (std::filesystem::remove(path, ignored)) ++removed;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      std::error_code ignored;
      if (std::filesystem::remove(path, ignored)) ++removed;
    }
    ::close(fd);
#endif
  }
  return removed;
}

void injectFault(const Fault& fault) {
  pendingFaults.push_back({fault.step, std::max(fault.occurrence, 1), fault.error});
}

void clearFaults() {
  pendingFaults.clear();
}

void setStepObserver(std::function<void(Step)> observer) {
  stepObserver = std::move(observer);
}

void setSyncEnabled(bool enabled) {
  syncEnabled = enabled;
}

}  // namespace files
