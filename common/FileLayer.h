#pragma once
// The one file layer: the only code of the program that calls the system's
// file functions. The register, its backup, the settings file and the code
// list are written through AtomicWriter: the bytes go to a temporary file in
// the target's directory, which is flushed, synced and then renamed over the
// target. On any failure the target stays whole and the temporary file is
// removed. Tests can make any step fail.
//
// A directory that refuses new files (no write permission) while the target
// in it may be written still saves: the temporary file cannot be made, so
// the whole new content is written over the target in place, then flushed
// and synced. Room for it is claimed first where the file system can, so a
// full disk refuses the save before the old content is touched.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace files {

// A file error; what() is UTF-8 text naming the file, e.g.
// Cannot create file "/x/Odkaznik.xml". No space left on device
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Cannot open file "%s". %s" and "Cannot create file "%s". %s", with the
// system's reason for `err` (an errno value).
std::string cannotOpen(const std::filesystem::path& path, int err);
std::string cannotCreate(const std::filesystem::path& path, int err);
// The system's text for an errno value.
std::string systemReason(int err);

// A path as UTF-8 text (for messages and names), and back.
std::string utf8(const std::filesystem::path& path);
std::filesystem::path fromUtf8(std::string_view text);

class AtomicWriter {
 public:
  // Creates the temporary file; throws FileError naming `target`.
  explicit AtomicWriter(std::filesystem::path target);
  ~AtomicWriter();  // without commit(): removes the temporary file
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  void write(std::string_view bytes);  // buffered
  // Flush, sync, rename over the target, sync the directory; or, in place,
  // open the target, write, cut it to the new length, sync.
  void commit();
  const std::filesystem::path& target() const { return target_; }
  // Whether the content goes over the target in place (no temporary file).
  bool inPlace() const { return inPlace_; }

 private:
  void flushBuffer();
  void writeAll(std::string_view bytes);  // loops on partial writes and EINTR
  void commitInPlace();
  [[noreturn]] void fail(int err);

  std::filesystem::path target_;
  std::filesystem::path dest_;  // the file renamed over: target_, or the file a link names
  std::filesystem::path temp_;
  std::string buffer_;
  int fd_ = -1;
  bool committed_ = false;
  bool inPlace_ = false;
};

// Writes `bytes` as the whole new content of `path` through AtomicWriter.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// A file written straight, without a temporary file: created (or emptied)
// when opened, filled through a buffer, closed at the end. Unlike
// AtomicWriter it leaves what it wrote on disk when an error stops it, which
// is what the table exports promise. Every error names the file.
class DirectWriter {
 public:
  // Creates or empties the file; throws FileError ("Cannot create file
  // ...") when that is not possible.
  explicit DirectWriter(std::filesystem::path path);
  // Closes without reporting: an error path is already on its way.
  ~DirectWriter();
  DirectWriter(const DirectWriter&) = delete;
  DirectWriter& operator=(const DirectWriter&) = delete;

  void write(std::string_view bytes);
  void write(char c) {
    if (buffer_.size() == buffer_.capacity()) flushBuffer();
    buffer_.push_back(c);
  }
  // Writes what is buffered and closes; throws FileError ("Unable to write
  // to ...") on failure.
  void close();
  const std::filesystem::path& path() const { return path_; }

 private:
  void flushBuffer();
  [[noreturn]] void fail(int err);

  std::filesystem::path path_;
  std::string buffer_;
  int fd_ = -1;
};

// Removes a file that the program wrote and no longer wants (the pictures
// of an export that was stopped); says whether it went. Never throws: it
// runs on the way out of a failure.
bool removeFile(const std::filesystem::path& path) noexcept;

// Reads a whole file; throws FileError "Cannot open file ..." on failure.
std::string readWholeFile(const std::filesystem::path& path);

// A file read a piece at a time, for a file too large to be held whole
// beside what is made of it (the register). Every error is FileError
// "Cannot open file ..." naming the file, as with readWholeFile.
class FileReader {
 public:
  // Opens the file and learns its size; throws FileError.
  explicit FileReader(std::filesystem::path path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // The file's size when it was opened.
  std::uint64_t size() const { return size_; }
  // Up to `n` bytes from where the previous read() stopped; 0 at the end.
  std::size_t read(char* to, std::size_t n);
  // Up to `n` bytes from offset `at`; read() goes on where it was. 0 at or
  // past the end.
  std::size_t readAt(char* to, std::size_t n, std::uint64_t at);
  const std::filesystem::path& path() const { return path_; }

 private:
  [[noreturn]] void fail(int err);

  std::filesystem::path path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// Temporary files of the layer are named ".<target name>.<random>.tmp" in the
// target's directory; this tells such names apart.
bool isTemporaryName(const std::filesystem::path& path);

// Removes from `dir` the temporary files that saves of this layer left
// behind when the process was killed: only names of the layer's own
// pattern, and none that a running save still holds. Returns how many went.
int removeLeftoverTemporaries(const std::filesystem::path& dir);

// --- fault injection (tests) ---------------------------------------------------
// The steps of AtomicWriter. Create: making the temporary file, and opening
// the target when it is written in place.
enum class Step { Create, Write, Flush, Sync, Rename };
struct Fault {
  Step step;
  int occurrence = 1;  // the n-th time the step runs after injectFault
  int error = EIO;     // errno reported
};
void injectFault(const Fault& fault);
void clearFaults();
// Called with each step just before it runs (before any injected fault of
// it); an empty function removes the observer. Lets a test stop the process
// at a chosen step.
void setStepObserver(std::function<void(Step)> observer);

// With false, the sync steps still run (and can be made to fail) but skip
// the system call that waits for the disk: for tests and fuzzing, where
// thousands of writes a second would otherwise wait on the disk. The
// program never turns it off; it is on by default.
void setSyncEnabled(bool enabled);

}  // namespace files
