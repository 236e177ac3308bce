#pragma once
// TPostaSestavy: "Odeslat sestavu e-mailem", the prepared report sent as an
// attachment in a chosen output type. The dialog keeps its fields in the
// engine's settings file (section "Email"), never the password: that is
// asked for, or kept in the desktop's keyring when the person asks so.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>

#include "Posta.h"
#include "Priprava.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace sestavy {

// Where passwords are kept between runs: the desktop's keyring. Each call
// answers at once or soon; a keyring that cannot be reached keeps nothing
// and says nothing (the password is asked for instead).
class UlozisteHesel {
 public:
  virtual ~UlozisteHesel() = default;
  // nullopt when none is kept or the keyring cannot be reached.
  virtual std::optional<QString> Nacti(const QString& klic) = 0;
  // false when the keyring did not take it.
  virtual bool Uloz(const QString& klic, const QString& heslo) = 0;
  virtual void Smaz(const QString& klic) = 0;
};
// The keyring in force: the desktop's (a keeper of nothing when the program
// was built without one), or the one installed by NastavUlozisteHesel.
UlozisteHesel& Klicenka();
// Installs a replacement (not owned); nullptr restores the desktop's.
void NastavUlozisteHesel(UlozisteHesel* nahrada);
// The keyring's entry of a login: "uzivatel@server:port".
QString KlicHesla(const QString& uzivatel, const QString& server, int port);

// Sends `zprava` on a thread of its own while the window repaints and a
// progress window offers "Storno"; the person cannot act on the windows
// meanwhile. false when the person cancelled; errors pass on as they come.
bool OdesliSCekanim(QWidget* parent, const ZpravaPosty& zprava, const std::string& mime, const VolbyOdeslani& volby);

class TPostaSestavy : public QDialog {
 public:
  // `souborNastaveni` is the engine's settings file (empty: nothing kept).
  TPostaSestavy(const PripravenaSestava& pripravena, std::filesystem::path souborNastaveni, QWidget* parent = nullptr);

  // The message of the fields: no password, no attachment.
  ZpravaPosty Zprava() const;
  // Exports the report to a temporary directory in the chosen type, sends
  // it, tells so and closes; an error leaves the dialog open.
  void Tl_OdeslatClick();

  QLineEdit* Ed_Server = nullptr;
  QSpinBox* Ed_Port = nullptr;
  QLineEdit* Ed_Odesilatel = nullptr;
  QLineEdit* Ed_Prijemci = nullptr;
  QLineEdit* Ed_Predmet = nullptr;
  QPlainTextEdit* Ed_Text = nullptr;
  QComboBox* CBox_Vystup = nullptr;
  QLineEdit* Ed_Uzivatel = nullptr;
  QCheckBox* ChB_Heslo = nullptr;
  QPushButton* Tl_Odeslat = nullptr;
  QPushButton* Tl_Storno = nullptr;

  // How the sending goes (its time limit); tests shorten it.
  VolbyOdeslani Volby;

 private:
  void nactiNastaveni();
  void ulozNastaveni();
  // The password of the login, or nullopt when the person cancelled.
  std::optional<QString> heslo(const ZpravaPosty& z, bool& zKlicenky);

  const PripravenaSestava& pripravena_;
  std::filesystem::path souborNastaveni_;
  bool pametHesla_ = false;  // "Zapamatovat heslo" as the settings file had it
};

// The preview's "E-mail…": the dialog over `parent`, modal.
void OdesliEmailem(const PripravenaSestava& pripravena, const std::filesystem::path& souborNastaveni, QWidget* parent);

}  // namespace sestavy
