#pragma once
// TOknaSestavy: the windows of a report (the print dialog, the preview and
// the designer) as the report object reaches them. One serves one report
// object: it keeps the printer, so that the print dialog and the page setup
// start from what was chosen last while the report is open.
#include <memory>

#include "Sestava.h"

class QPrinter;

namespace sestavy {

class TOknaSestavy final : public OknaSestavy {
 public:
  TOknaSestavy();
  ~TOknaSestavy();

  void Tiskni(TSestava& sestava, QWidget* parent) override;
  // The print dialog, then the pages of `s` as they are (the preview's).
  void Tiskni(const PripravenaSestava& s, QWidget* parent);
  void Nahled(TSestava& sestava, QWidget* parent) override;
  bool Navrh(TSestava& sestava, QWidget* parent) override;

  // Prepares the report with the busy cursor showing, on the template's
  // sheet or on `list`.
  PripravenaSestava Priprav(const TSestava& sestava);
  PripravenaSestava Priprav(const TSestava& sestava, const Stranka& list);
  // The printer: the default one, its page set to the template's sheet.
  QPrinter& Tiskarna();
  // Prints pages od..do_ (0-based) of a prepared report on the printer.
  void TiskniNa(QPrinter& tiskarna, const PripravenaSestava& s, int od, int do_);

 private:
  // The print dialog over the printer; false when cancelled.
  bool dialogTisku(const QString& nazev, int stran, QWidget* parent);
  // The range the dialog chose (all pages unless a range was given).
  void tiskniVybrane(const PripravenaSestava& s);

  std::unique_ptr<QPrinter> tiskarna_;
};

}  // namespace sestavy
