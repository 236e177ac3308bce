#pragma once
// What the dialogs of the main window share: a fixed dialog border with the
// given client size, centred on the screen.
class QDialog;

void NastavDialog(QDialog* dialog, int sirka, int vyska);
