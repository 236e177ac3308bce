// The program's real message box (no scripted person installed): what it
// puts on the clipboard when the person presses Ctrl+C in it.
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "Zpravy.h"

TEST(Zprava, CtrlCCopiesCaptionTextAndButtonsAndTheBoxStaysOpen) {
  QString copied;
  bool openAfterCopy = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    copied = QGuiApplication::clipboard()->text();
    openAfterCopy = box->isVisible();
    QTest::keyClick(box, Qt::Key_Return);
  });
  const int answer = ZobrazDotaz(QStringLiteral("V textu byly provedeny změny"),
                                 QStringLiteral("Chcete tyto změny uložit?"), DruhDotazu::AnoNe);
  EXPECT_EQ(copied.toStdString(),
            "---------------------------\r\n"
            "V textu byly provedeny změny\r\n"
            "---------------------------\r\n"
            "Chcete tyto změny uložit?\r\n"
            "---------------------------\r\n"
            "Ano   Ne   \r\n"
            "---------------------------\r\n");
  EXPECT_TRUE(openAfterCopy);
  // Enter after the copy still answers with the default button.
  EXPECT_EQ(answer, QMessageBox::No);
}
