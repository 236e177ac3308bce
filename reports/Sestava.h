#pragma once
// The report object and its data link: what the report catalogue works with.
// The report holds at most one loaded template, reads the record store
// through the data link "SestavaData1", and prepares, previews, prints and
// designs that template. Printing, the preview and the designer are windows:
// the report reaches them through OknaSestavy, so that the engine itself
// needs no widgets.
#include <QString>
#include <QStringList>
#include <filesystem>

#include "Priprava.h"
#include "Sablona.h"

class QWidget;

namespace store {
class RecordStore;
}

namespace sestavy {

class TSestava;

// The data link: binds the record store under the name templates use. It
// never closes the store.
struct TSestavaData {
  QString jmeno = JmenoDat();
  store::RecordStore* data = nullptr;
};

// The report's windows, each modal over `parent`; the report's owner hands
// them to the report (TOknaSestavy in OknaSestavy.h).
class OknaSestavy {
 public:
  // The print dialog first, then the prepared pages on the chosen printer.
  virtual void Tiskni(TSestava& sestava, QWidget* parent) = 0;
  // Prepares anew and shows the preview.
  virtual void Nahled(TSestava& sestava, QWidget* parent) = 0;
  // The designer on the loaded template; true when it saved.
  virtual bool Navrh(TSestava& sestava, QWidget* parent) = 0;

 protected:
  ~OknaSestavy() = default;
};

class TSestava {
 public:
  TSestavaData* DataSet = nullptr;
  OknaSestavy* Okna = nullptr;
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

  // Prepares the loaded template from the data link's store; with `list`,
  // on that sheet instead of the template's own (a preview's page setup,
  // which changes that preview only).
  PripravenaSestava Priprav() const;
  PripravenaSestava Priprav(const Stranka& list) const;
  // The windows' operations on this report.
  void Tiskni(QWidget* parent);
  void Nahled(QWidget* parent);
  bool Navrh(QWidget* parent);

  // Writes `nova` to `soubor`. Over the loaded template's own file it
  // becomes the loaded template; a copy in another file ("save as") leaves
  // the loaded template as it was, so that the catalogue's commands go on
  // acting on what its selection loaded.
  void Uloz(const Sablona& nova, const std::filesystem::path& soubor);

 private:
  OknaSestavy& okna() const;

  Sablona sablona_;
  std::filesystem::path soubor_;
  bool nacteno_ = false;
};

}  // namespace sestavy
