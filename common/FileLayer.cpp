#include "FileLayer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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
// DirectWriter's buffer: the table exports write record by record.
constexpr std::size_t kDirectBufferSize = std::size_t{1} << 16;
// One low-level read or write never asks for more than this (the Windows
// calls take an unsigned int count).
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

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

// The file created, or emptied when it exists, for writing.
int openEmptied(const std::filesystem::path& path) {
#ifdef _WIN32
  return ::_wopen(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  int fd;
  do fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  return fd;
#endif
}

int openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
  return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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

// Writes all of `bytes`, looping on partial writes and EINTR; 0, or the
// errno that stopped it. With `steps` every write is a Write step that a
// test can make fail.
int writeFully(int fd, std::string_view bytes, bool steps) {
  while (!bytes.empty()) {
    const std::size_t chunk = std::min(bytes.size(), kMaxChunk);
    long written;
    if (const int err = steps ? enterStep(Step::Write) : 0) {
      errno = err;
      written = -1;
    } else {
      written = lowWrite(fd, bytes.data(), chunk);
    }
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
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

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path fromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

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
  if (const int err = writeFully(fd_, bytes, true)) fail(err);
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

// --- DirectWriter -----------------------------------------------------------------

DirectWriter::DirectWriter(std::filesystem::path path) : path_(std::move(path)) {
  fd_ = openEmptied(path_);
  if (fd_ < 0) throw FileError(cannotCreate(path_, errno));
  buffer_.reserve(kDirectBufferSize);
}

DirectWriter::~DirectWriter() {
  if (fd_ >= 0) lowClose(fd_);
}

void DirectWriter::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kDirectBufferSize) flushBuffer();
  if (bytes.size() >= kDirectBufferSize) {
    buffer_.assign(bytes);
    flushBuffer();
    buffer_.reserve(kDirectBufferSize);
    return;
  }
  buffer_.append(bytes);
}

void DirectWriter::flushBuffer() {
  if (fd_ < 0) fail(EBADF);
  if (const int err = writeFully(fd_, buffer_, false)) fail(err);
  buffer_.clear();
}

void DirectWriter::close() {
  flushBuffer();
  const int rc = lowClose(fd_);
  fd_ = -1;
  if (rc != 0 && errno != EINTR) fail(errno);
}

void DirectWriter::fail(int err) {
  buffer_.clear();
  throw FileError("Unable to write to \"" + utf8(path_) + "\". " + systemReason(err));
}

bool removeFile(const std::filesystem::path& path) noexcept {
  std::error_code ec;
  return std::filesystem::remove(path, ec) && !ec;
}

// --- reading ----------------------------------------------------------------------

FileReader::FileReader(std::filesystem::path path) : path_(std::move(path)) {
  fd_ = openForReading(path_);
  if (fd_ < 0) fail(errno);
#ifdef _WIN32
  struct _stat64 st;
  if (::_fstat64(fd_, &st) != 0) fail(errno);
#else
  struct stat st {};
  if (::fstat(fd_, &st) != 0) fail(errno);
#endif
  size_ = static_cast<std::uint64_t>(st.st_size);
}

FileReader::~FileReader() {
  if (fd_ >= 0) lowClose(fd_);
}

std::size_t FileReader::read(char* to, std::size_t n) {
  for (;;) {
#ifdef _WIN32
    const long got = ::_read(fd_, to, static_cast<unsigned>(std::min(n, kMaxChunk)));
#else
    const long got = static_cast<long>(::read(fd_, to, n));
#endif
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) fail(errno);
  }
}

std::size_t FileReader::readAt(char* to, std::size_t n, std::uint64_t at) {
#ifdef _WIN32
  // The C runtime reads only where the file stands: go there, read, and
  // come back for read().
  const long long here = ::_telli64(fd_);
  if (here < 0 || ::_lseeki64(fd_, static_cast<long long>(at), SEEK_SET) < 0) fail(errno);
  const int got = ::_read(fd_, to, static_cast<unsigned>(std::min(n, kMaxChunk)));
  const int err = errno;
  if (::_lseeki64(fd_, here, SEEK_SET) < 0) fail(errno);
  if (got < 0) fail(err);
  return static_cast<std::size_t>(got);
#else
  for (;;) {
    const ssize_t got = ::pread(fd_, to, n, static_cast<off_t>(at));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) fail(errno);
  }
#endif
}

void FileReader::fail(int err) {
  if (fd_ >= 0) lowClose(std::exchange(fd_, -1));
  throw FileError(cannotOpen(path_, err));
}

std::string readWholeFile(const std::filesystem::path& path) {
  FileReader reader(path);
  std::string content;
  content.reserve(static_cast<std::size_t>(reader.size()));
  char chunk[64 * 1024];
  while (const std::size_t got = reader.read(chunk, sizeof chunk)) content.append(chunk, got);
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
