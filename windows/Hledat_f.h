#pragma once
// THledat: the search dialog. Hledat searches the chosen field forward from
// the record after the current one and stays open for the next hit; Zpět
// returns to the record that was current when the dialog opened.
#include <QDialog>

#include "RecordStore.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TVyberPole;
namespace store { class ViewState; }

class THledat : public QDialog {
  Q_OBJECT
 public:
  // Searches the view of `stav` and keeps the search there for "find
  // next"; `parent` owns the dialog.
  THledat(store::ViewState& stav, QWidget* parent);

  TVyberPole* VybranePole = nullptr;
  QLabel* PopiskaHledany = nullptr;
  QLineEdit* Hledany = nullptr;
  QCheckBox* Celevyrazy = nullptr;
  QPushButton* HledatVyraz = nullptr;
  QPushButton* Zpet = nullptr;
  QPushButton* Storno = nullptr;

  // The record that was current when the dialog was created.
  store::RecordStore::Bookmark Zalozka = store::RecordStore::kNoBookmark;

  void FormCreate();
  void FormShow();
  void HledanyChange();
  void HledatVyrazClick();
  void ZpetClick();
  void StornoClick();
  void FormCloseQuery();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  store::ViewState& stav_;
};
