#pragma once
// The program's files and settings keys, each named once. Every file lives
// in the program directory under a fixed name; every key of the settings
// file stands in a fixed section.
#include <filesystem>
#include <string_view>

namespace program {

inline constexpr std::string_view kDatabaze = "Odkaznik.xml";   // the register
inline constexpr std::string_view kZaloha = "Odkaznik.bak";     // its backup copy
inline constexpr std::string_view kNastaveni = "Odkaznik.ini";  // the settings file
inline constexpr std::string_view kSeznam = "Seznam.txt";       // the code list
inline constexpr std::string_view kNapoveda = "Odkaznik.chm";   // the help file
inline constexpr std::string_view kSestavy = "Ses";             // the report directory
inline constexpr std::string_view kNastaveniSestav = "Sestavy.ini";  // the report engine's settings

// A file of the program directory `adresar`.
inline std::filesystem::path Soubor(const std::filesystem::path& adresar, std::string_view jmeno) {
  return adresar / std::filesystem::path(jmeno);
}

// The keys of the settings file.
enum class Klic { ZobrazDialogUloz, UkladatPozici, Zleva, Zhora, Sirka, Vyska };

struct MistoKlice {
  std::string_view sekce;
  std::string_view jmeno;
};

constexpr MistoKlice Misto(Klic klic) {
  switch (klic) {
    case Klic::ZobrazDialogUloz: return {"Nastaveni", "ZobrazDialogUloz"};
    case Klic::UkladatPozici: return {"Formular", "UkladatPozici"};
    case Klic::Zleva: return {"Formular", "Zleva"};
    case Klic::Zhora: return {"Formular", "Zhora"};
    case Klic::Sirka: return {"Formular", "Sirka"};
    case Klic::Vyska: return {"Formular", "Vyska"};
  }
  return {};
}

}  // namespace program
