// Inputs refuse characters that Windows-1250 lacks.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "Vstupy.h"

namespace {

// Types text as a keyboard would, one character per key press.
void type(QWidget* w, const QString& text) {
  for (char32_t cp : text.toUcs4()) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&cp, 1));
    QApplication::sendEvent(w, &press);
  }
}

TEST(Vstupy, LineEditRefusesWhatTheCodePageLacks) {
  QLineEdit edit;
  PovolJenAnsi(&edit);
  type(&edit, QString::fromUtf8("Žluťoučký kůň"));
  EXPECT_EQ(edit.text(), QString::fromUtf8("Žluťoučký kůň"));
  edit.clear();
  edit.insert(QString::fromUtf8("a😀b"));  // a paste of a text with an emoji is refused whole
  EXPECT_EQ(edit.text(), "");
  type(&edit, QString::fromUtf8("x中y"));
  EXPECT_EQ(edit.text(), "xy");
}

TEST(Vstupy, ComboBoxEditRefusesToo) {
  QComboBox box;
  box.setEditable(true);
  PovolJenAnsi(&box);
  type(box.lineEdit(), QString::fromUtf8("PDF中"));
  EXPECT_EQ(box.currentText(), "PDF");
}

TEST(Vstupy, TextAreaDropsWhatTheCodePageLacks) {
  QPlainTextEdit area;
  PovolJenAnsi(&area);
  area.insertPlainText(QString::fromUtf8("abc\n😀č\n中x"));
  EXPECT_EQ(area.toPlainText(), QString::fromUtf8("abc\nč\nx"));
  // A whole text set at once, into an empty area and over a text.
  QPlainTextEdit fresh;
  PovolJenAnsi(&fresh);
  fresh.setPlainText(QString::fromUtf8("😀a"));
  EXPECT_EQ(fresh.toPlainText(), "a");
  fresh.setPlainText(QString::fromUtf8("b\n中"));
  EXPECT_EQ(fresh.toPlainText(), "b\n");
}

}  // namespace
