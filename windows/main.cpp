#include <QApplication>

#include "Aplikace.h"
#include "Hlavni_f.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  NastavAplikaci(app);
  int result;
  {
    THlavni hlavni;
    hlavni.show();
    result = QApplication::exec();
  }
  return result;
}
