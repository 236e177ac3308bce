#pragma once
// The field choice list "Výběr pole" of the sort, search and filter dialogs:
// one radio item per field of the record store, in field-list order, each
// item titled with the field's name, so item i stands for the field at
// position i.
#include <QGroupBox>
#include <QString>
#include <vector>

class QButtonGroup;
class QRadioButton;
namespace store { class RecordStore; }

class TVyberPole : public QGroupBox {
  Q_OBJECT
 public:
  explicit TVyberPole(QWidget* parent);

  // One item per field of `data`; the group becomes 24 × items + 9 high.
  void NaplnPoli(const store::RecordStore& data);

  int Pocet() const { return static_cast<int>(polozky_.size()); }
  QString Polozka(int i) const;
  // The selected item, -1 when none is.
  int ItemIndex() const;
  // Selecting an item runs Click, as a click on it does; -1 clears the
  // selection (something a click cannot do) and runs nothing.
  void setItemIndex(int i);

 signals:
  // An item became selected.
  void Click();

 private:
  QButtonGroup* skupina_;
  std::vector<QRadioButton*> polozky_;
};
