#include "Ciselnik_f.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextDocument>

#include "Dialogy.h"
#include "FileLayer.h"
#include "RecordStore.h"
#include "KlavesyDialogu.h"
#include "SeznamKodu.h"
#include "Soubory.h"
#include "Texty.h"
#include "Vstupy.h"
#include "Zpravy.h"

TCiselnik::TCiselnik(const store::RecordStore& data, std::filesystem::path seznam, QWidget* parent)
    : QDialog(parent), data_(data), seznam_(std::move(seznam)) {
  setObjectName(QStringLiteral("Ciselnik"));
  setWindowTitle(QStringLiteral("Správa číselníku pro pole Kód"));
  NastavDialog(this, 366, 505);

  La_Pouceni = new QLabel(this);
  La_Pouceni->setObjectName(QStringLiteral("La_Pouceni"));
  La_Pouceni->setGeometry(8, 8, 345, 17);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(8, 32, 345, 425);
  // One line of the text area is one line of the file.
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTabChangesFocus(true);
  PovolJenAnsi(Memo1);

  Tl_Ok = new QPushButton(QStringLiteral("Ok"), this);
  Tl_Ok->setObjectName(QStringLiteral("Tl_Ok"));
  Tl_Ok->setGeometry(104, 468, 75, 25);
  Tl_Storno = new QPushButton(QStringLiteral("Storno"), this);
  Tl_Storno->setObjectName(QStringLiteral("Tl_Storno"));
  Tl_Storno->setGeometry(188, 468, 75, 25);
  NastavTlacitkaDialogu(this, Tl_Ok);

  connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Chranene([this] { Memo1Change(); }); });
  connect(Tl_Ok, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_OkClick(); }); });
  connect(Tl_Storno, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_StornoClick(); }); });

  Chranene([this] { FormCreate(); });
  ZamerNaPrvni({Memo1, Tl_Ok, Tl_Storno});
}

std::filesystem::path TCiselnik::Soubor() const { return seznam_; }

void TCiselnik::FormCreate() {
  // The register's own width of Kod. A register that could not be loaded has
  // no field definitions: the width of the record the program creates then
  // keeps the file's codes from being cut to nothing.
  const auto& defs = data_.fieldDefs();
  DelkaKodu = defs.size() > 2 ? defs[2].width : store::addressFieldDefs()[2].width;

  // A file that cannot be read is reported; the dialog opens with an empty
  // text area all the same.
  Chranene([this] { NactiSoubor(); });

  La_Pouceni->setText(QStringLiteral("Výrazy s počtem znaků nad %1 budou oříznuty!").arg(DelkaKodu));
  Tl_Ok->setEnabled(true);
}

void TCiselnik::NactiSoubor() {
  std::error_code ec;
  if (!std::filesystem::exists(Soubor(), ec)) VytvoritSoubor(Soubor());
  const std::string obsah = files::readWholeFile(Soubor());
  // The lines as every reader of the list sees them; a line break at the end
  // stays one, so that Ok writes the file back as it was.
  const std::string_view text = ciselnik::TextDoNul(obsah);
  QStringList radky;
  for (const std::string& radek : ciselnik::RozdelNaKody(text)) radky << zAnsi(radek);
  QString plny = radky.join(QLatin1Char('\n'));
  if (!text.empty() && (text.back() == '\r' || text.back() == '\n')) plny += QLatin1Char('\n');
  Memo1->setPlainText(plny);
}

// The text of the text area as typed: the area's plain text would turn a
// no-break space into a space.
static QString TextOblasti(const QPlainTextEdit* area) {
  QString text = area->document()->toRawText();
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == 0xfdd0 || u == 0xfdd1) c = QLatin1Char('\n');
  }
  return text;
}

void TCiselnik::Memo1Change() { Tl_Ok->setEnabled(true); }

void TCiselnik::Tl_OkClick() {
  // Cut the long lines in the text area itself, so that what is written is
  // what the person sees. Characters, spaces included; nothing is trimmed.
  QStringList radky = TextOblasti(Memo1).split(QLatin1Char('\n'));
  bool oriznuto = false;
  for (QString& radek : radky) {
    if (DelkaKodu >= 0 && radek.size() > DelkaKodu) {
      radek.truncate(DelkaKodu);
      oriznuto = true;
    }
  }
  const QString text = radky.join(QLatin1Char('\n'));
  if (oriznuto) Memo1->setPlainText(text);

  std::string bajty = doAnsi(text);
  std::string soubor;
  soubor.reserve(bajty.size() + static_cast<std::size_t>(radky.size()));
  for (char c : bajty) {
    if (c == '\n') soubor += '\r';
    soubor += c;
  }
  files::writeFileAtomically(Soubor(), soubor);
  accept();
}

void TCiselnik::Tl_StornoClick() { reject(); }
