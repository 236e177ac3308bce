#pragma once
// The keys of a dialog as the desktop has them: Enter presses the button
// that has the focus, and the default button only while no other button has
// it; a dialog without a default button does nothing on Enter elsewhere.
// Esc stays the dialog's own (it closes it, as "Storno" does).
#include <initializer_list>

class QDialog;
class QPushButton;
class QWidget;

// Every push button of `dialog` takes Enter while it has the focus;
// `vychozi` (may be null) is the default button. When the dialog closes,
// the window it was opened over takes the focus back.
void NastavTlacitkaDialogu(QDialog* dialog, QPushButton* vychozi);

// The window of `vlastnik` (may be null) takes the focus back after a
// dialog or message box over it has closed.
void VratZamer(QWidget* vlastnik);

// Puts the focus on the first control of `poradi` (the dialog's tab order)
// that can take it: enabled and not hidden. A group of radio items takes it
// on its selected item, or on its first one when none is selected.
void ZamerNaPrvni(std::initializer_list<QWidget*> poradi);
