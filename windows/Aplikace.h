#pragma once
class QApplication;

// What every run of the program sets up before its main window: the title,
// the font the window's pixel figures are designed for, and the Czech texts
// of Qt's own buttons and dialogs: Qt's catalogue and the program's own
// additions to it, both shipped in the program directory's translations/.
void NastavAplikaci(QApplication& app);
