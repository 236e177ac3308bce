#pragma once
// The one seam through which the program meets the person and the desktop:
// message boxes, the input box, file dialogs, the desktop's "open", the
// clipboard and the screen. The program uses the real Qt implementation;
// tests install a scripted fake and drive the real windows with no person.
#include <QMessageBox>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QWidget;

namespace seam {

struct MessageRequest {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

struct InputRequest {
  QString caption;
  QString prompt;
  QString text;        // offered value, fully selected
  int maxLength = 255;
  bool hidden = false;  // typed characters not shown (a password)
};

struct FileRequest {
  QString caption;
  QString directory;
  QString fileName;     // preset name
  QStringList filters;  // Qt filter list, e.g. "HTML (*.html)"
  int filterIndex = 0;  // in: preselected; out: chosen
};

class Interaction {
 public:
  virtual ~Interaction() = default;
  virtual QMessageBox::StandardButton message(QWidget* parent, const MessageRequest& request) = 0;
  // nullopt when the person cancels.
  virtual std::optional<QString> input(QWidget* parent, const InputRequest& request) = 0;
  // Empty when the person cancels.
  virtual QString openFileName(QWidget* parent, FileRequest& request) = 0;
  virtual QString saveFileName(QWidget* parent, FileRequest& request) = 0;
  // Hands `url` to the desktop's opener; false when the opener refused it
  // (could not be started, or ended with a failure).
  virtual bool openUrl(const QUrl& url) = 0;
  virtual void setClipboardText(const QString& text) = 0;
  virtual QRect primaryScreen() = 0;
};

// The interaction in force: the installed one, or the real one.
Interaction& interaction();
// The real one, whatever is installed.
Interaction& real();
// Installs a replacement (not owned); nullptr restores the real one.
void install(Interaction* replacement);

}  // namespace seam
