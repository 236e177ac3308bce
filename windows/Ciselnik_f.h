#pragma once
// TCiselnik: the code list Seznam.txt edited as plain text, one code a line.
#include <QDialog>
#include <filesystem>

class QLabel;
class QPlainTextEdit;
class QPushButton;
namespace store { class RecordStore; }

class TCiselnik : public QDialog {
  Q_OBJECT
 public:
  // Edits the code list file `seznam`; the width of the field Kod comes
  // from `data`'s field definitions; `parent` owns the dialog.
  TCiselnik(const store::RecordStore& data, std::filesystem::path seznam, QWidget* parent);

  QLabel* La_Pouceni = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Tl_Ok = nullptr;
  QPushButton* Tl_Storno = nullptr;

  // The width of the field Kod: longer lines are cut to it on Ok.
  int DelkaKodu = 0;

  void FormCreate();
  void Memo1Change();
  void Tl_OkClick();
  void Tl_StornoClick();

  std::filesystem::path Soubor() const;

 private:
  void NactiSoubor();

  const store::RecordStore& data_;
  std::filesystem::path seznam_;
};
