// The settings file on any bytes: reading never fails, and a key written
// into the file reads back while another section's key keeps its value.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FileLayer.h"
#include "SettingsFile.h"

// Every write syncs in the program; here that would leave the fuzzer waiting
// on the disk.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  files::setSyncEnabled(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("odk-fuzz-settings-" + std::to_string(::getpid()) + ".ini");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  settings::SettingsFile ini(path);
  (void)ini.readBool("Nastaveni", "ZobrazDialogUloz", true);
  (void)ini.readInteger("Formular", "Zleva", 7);
  const std::string other = ini.readString("Nastaveni", "ZobrazDialogUloz", "-");
  ini.writeInteger("Formular", "Sirka", -716);
  if (ini.readInteger("Formular", "Sirka", 0) != -716) std::abort();
  if (ini.readString("Nastaveni", "ZobrazDialogUloz", "-") != other) std::abort();
  return 0;
}
