#pragma once
// A main window started offscreen in a temporary program directory, with the
// person's answers scripted through the seam.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "FakeInteraction.h"
#include "FileLayer.h"
#include "Hlavni_f.h"

// The main window over the program directory `tmp`, shown and active.
inline std::unique_ptr<THlavni> spustHlavni(const QTemporaryDir& tmp) {
  auto w = std::make_unique<THlavni>(tmp.path());
  w->show();
  w->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(w.get(), 2000));
  return w;
}

// A register of `n` records "Záznam 1".. in natural order (Windows-1250
// names) with their addresses, codes "K1".. when `kody`, and Kod `kodWidth`
// characters wide.
inline void zapisRegistr(const std::filesystem::path& dir, int n, bool kody = true, int kodWidth = 20) {
  auto defs = store::addressFieldDefs();
  defs[2].width = kodWidth;
  store::RecordStore s;
  s.createEmpty(defs);
  for (int i = 1; i <= n; ++i) {
    s.append();
    s.setText("nazev", "Z\xE1znam " + std::to_string(i));
    s.setText("http", "http://www.example.cz/" + std::to_string(i));
    if (kody) s.setText("kod", "K" + std::to_string(i));
    s.post();
  }
  s.saveToFile(dir / "Odkaznik.xml");
}

inline std::string nactiSoubor(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void zapisSoubor(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class Registr : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  std::filesystem::path dir{tmp.path().toStdString()};
  FakeInteraction person;
  std::unique_ptr<THlavni> w;

  void TearDown() override {
    files::clearFaults();
    w.reset();
  }

  // Starts the main window; without a register written before, it makes an
  // empty one (and says so, which is forgotten here).
  THlavni& start() {
    w = spustHlavni(tmp);
    person.messages.clear();
    return *w;
  }

  void writeRegister(int n, int kodWidth = 20) { zapisRegistr(dir, n, true, kodWidth); }

  static std::string readFile(const std::filesystem::path& p) { return nactiSoubor(p); }
  static void writeFile(const std::filesystem::path& p, const std::string& bytes) { zapisSoubor(p, bytes); }

  std::string current(const char* field) const { return std::string(w->ClientDataSet1.text(field)); }

  // Runs `command` (which shows a modal dialog) and, once the dialog is up,
  // `act` on it; `act` must close it.
  template <class Dialog>
  void withDialog(QAction* command, const std::function<void(Dialog&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      seen = true;
      act(*d);
      if (d->isVisible()) d->reject();
    });
    EXPECT_TRUE(THlavni::Spust(command));
    EXPECT_TRUE(seen);
  }
};
