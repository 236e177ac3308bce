#pragma once
class QApplication;

// What every run of the program sets up before its main window: the title,
// the font the window's pixel figures are designed for, and the Czech texts
// of Qt's own buttons and dialogs (shipped in the program directory).
void NastavAplikaci(QApplication& app);
