#pragma once
// The report object and its data link: what the report catalogue works with.
// The report holds at most one loaded template, reads the record store
// through the data link "SestavaData1", and prepares, previews, prints and
// designs that template.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

#include "Priprava.h"
#include "Sablona.h"

class QWidget;
class QPrinter;

namespace store {
class RecordStore;
}

namespace sestavy {

// The data link: binds the record store under the name templates use. It
// never closes the store.
struct TSestavaData {
  QString jmeno = JmenoDat();
  store::RecordStore* data = nullptr;
};

class TSestava {
 public:
  TSestava();
  ~TSestava();

  TSestavaData* DataSet = nullptr;
  // The engine's own settings file (the last export directory and type).
  std::filesystem::path SouborNastaveni;

  // Clears the report and reads the template; the file name is remembered
  // even when no file exists there, and a missing file is no error here.
  // A file that exists but cannot be read as a template is an error, and
  // the report stays cleared.
  void NactiZeSouboru(const std::filesystem::path& soubor);
  bool Nacteno() const { return nacteno_; }
  const QString& Nazev() const { return sablona_.nazev; }
  const QString& Autor() const { return sablona_.autor; }
  const QStringList& Popis() const { return sablona_.popis; }
  const std::filesystem::path& Soubor() const { return soubor_; }
  Sablona& sablona() { return sablona_; }
  // The directory in which "save as" puts new templates: "Ses" beside the
  // settings file, or the loaded template's directory.
  std::filesystem::path AdresarSablon() const;

  // Prepares the loaded template from the data link's store.
  PripravenaSestava Priprav() const;
  // The print dialog first, then the prepared pages on the chosen printer.
  void Tiskni(QWidget* parent);
  // Discards the previous result, prepares anew and shows the preview, modally.
  void Nahled(QWidget* parent);
  // The designer on the loaded template, modally; true when it saved.
  bool Navrh(QWidget* parent);

  // Writes `nova` to `soubor` and makes it the loaded template.
  void Uloz(const Sablona& nova, const std::filesystem::path& soubor);

  // The printer: the default one, its page set to the template's sheet.
  QPrinter& Tiskarna();
  // Prints pages od..do_ (0-based) of a prepared report on the printer.
  void TiskniNa(QPrinter& tiskarna, const PripravenaSestava& s, int od, int do_);

 private:
  Sablona sablona_;
  std::filesystem::path soubor_;
  bool nacteno_ = false;
  std::unique_ptr<QPrinter> tiskarna_;
};

}  // namespace sestavy
