#include "VyberPole.h"

#include <QButtonGroup>
#include <QRadioButton>

#include "RecordStore.h"
#include "Texty.h"

TVyberPole::TVyberPole(QWidget* parent) : QGroupBox(QStringLiteral("Výběr pole"), parent), skupina_(new QButtonGroup(this)) {
  skupina_->setExclusive(true);
  connect(skupina_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) emit Click();
  });
}

void TVyberPole::NaplnPoli(const store::RecordStore& data) {
  for (QRadioButton* b : polozky_) delete b;
  polozky_.clear();
  const int n = data.active() ? data.fieldCount() : 0;
  resize(width(), 24 * n + 9);
  // The items share the group's height below its caption evenly.
  const int krok = n > 0 ? (height() - 19) / n : 0;
  for (int i = 0; i < n; ++i) {
    auto* b = new QRadioButton(zAnsi(data.fieldName(i)), this);
    b->setObjectName(QStringLiteral("Polozka%1").arg(i));
    b->setGeometry(8, 15 + i * krok, width() - 16, std::min(krok, 20));
    skupina_->addButton(b, i);
    polozky_.push_back(b);
    b->show();
  }
}

QString TVyberPole::Polozka(int i) const { return polozky_.at(static_cast<std::size_t>(i))->text(); }

int TVyberPole::ItemIndex() const { return skupina_->checkedId(); }

void TVyberPole::setItemIndex(int i) {
  if (i >= 0 && i < Pocet()) {
    polozky_[static_cast<std::size_t>(i)]->setChecked(true);
    return;
  }
  skupina_->setExclusive(false);
  for (QRadioButton* b : polozky_) b->setChecked(false);
  skupina_->setExclusive(true);
}
