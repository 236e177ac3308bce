#pragma once
// The hourglass over the whole application while a long operation runs;
// the normal cursor comes back on every way out.
#include <QApplication>

class KurzorCekani {
 public:
  KurzorCekani() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~KurzorCekani() { QApplication::restoreOverrideCursor(); }
  KurzorCekani(const KurzorCekani&) = delete;
  KurzorCekani& operator=(const KurzorCekani&) = delete;
};
