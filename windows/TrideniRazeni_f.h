#pragma once
// TTrideniRazeni: the sort dialog. Ok sorts by the selected field, Výchozí
// returns to natural order; when the choice is the order already in force,
// nothing happens and the dialog stays open.
#include <QDialog>

class QPushButton;
class TVyberPole;
namespace store { class ViewState; }

class TTrideniRazeni : public QDialog {
  Q_OBJECT
 public:
  // Sorts the view of `stav`; `parent` owns the dialog.
  TTrideniRazeni(store::ViewState& stav, QWidget* parent);

  TVyberPole* VybranePole = nullptr;
  QPushButton* Tl_Ok = nullptr;
  QPushButton* Tl_Vychozi = nullptr;
  QPushButton* Tl_Storno = nullptr;

  void FormCreate();
  void Tl_OkClick();
  void Tl_VychoziClick();
  void Tl_StornoClick();

 private:
  store::ViewState& stav_;
};
