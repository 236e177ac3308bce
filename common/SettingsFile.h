#pragma once
// The settings file Odkaznik.ini in the usual initialisation-file format,
// read and written one key at a time: section and key names match without
// regard to case; a write replaces the key's line in place, or adds the key at
// the end of its section (the section at the end of the file), and keeps
// every other line; the file is created by the first write. Reading a missing
// file or key gives the default. Texts are Windows-1250 bytes.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "SouboryProgramu.h"

namespace settings {

// "Unable to write to %s" with the file's path.
class SettingsWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SettingsFile {
 public:
  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}
  const std::filesystem::path& path() const { return path_; }

  // At most 2047 characters of a value are seen.
  std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal with an optional sign; "0x"/"0X" (three characters or more) or
  // "$" hexadecimal; anything else gives `def`.
  int readInteger(std::string_view section, std::string_view key, int def) const;
  // On when the integer read is not 0.
  bool readBool(std::string_view section, std::string_view key, bool def) const;

  // Throw SettingsWriteError when the file cannot be written.
  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeInteger(std::string_view section, std::string_view key, int value);
  void writeBool(std::string_view section, std::string_view key, bool value);

  // The program's own keys, each in its section.
  int readInteger(program::Klic k, int def) const { return readInteger(program::Misto(k).sekce, program::Misto(k).jmeno, def); }
  bool readBool(program::Klic k, bool def) const { return readBool(program::Misto(k).sekce, program::Misto(k).jmeno, def); }
  void writeInteger(program::Klic k, int value) { writeInteger(program::Misto(k).sekce, program::Misto(k).jmeno, value); }
  void writeBool(program::Klic k, bool value) { writeBool(program::Misto(k).sekce, program::Misto(k).jmeno, value); }

 private:
  std::filesystem::path path_;
};

// The integer rule on its own (for tests and callers with a text in hand).
bool parseInteger(std::string_view text, int& out);

}  // namespace settings
