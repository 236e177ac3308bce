#pragma once
// What the dialogs of the main window share: a fixed dialog border with the
// given client size, centred on the screen; running a command.
class QAction;
class QDialog;

void NastavDialog(QDialog* dialog, int sirka, int vyska);

// Runs a command as the menu would: only while it is enabled; true when it ran.
bool SpustAkci(QAction* akce);
