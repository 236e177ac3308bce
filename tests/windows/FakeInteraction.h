#pragma once
// A scripted stand-in for the person and the desktop: it records every
// message box, input box, file dialog, URL and clipboard text, and answers
// them from queues filled by the test.
#include <QMessageBox>
#include <deque>
#include <optional>
#include <vector>

#include "Seam.h"

class FakeInteraction : public seam::Interaction {
 public:
  struct Shown {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
  };

  FakeInteraction() { seam::install(this); }
  ~FakeInteraction() override { seam::install(nullptr); }

  std::vector<Shown> messages;
  std::deque<QMessageBox::StandardButton> answers;  // empty: OK, or the default button
  std::vector<seam::InputRequest> inputs;
  std::deque<std::optional<QString>> inputAnswers;
  std::vector<seam::FileRequest> fileRequests;
  std::deque<std::pair<QString, int>> fileAnswers;  // name, filter index
  std::vector<QUrl> urls;
  bool urlAccepted = true;
  QString clipboard;
  QRect screen{0, 0, 1024, 768};

  QMessageBox::StandardButton message(QWidget*, const seam::MessageRequest& r) override {
    messages.push_back({r.icon, r.caption, r.text, r.buttons, r.defaultButton});
    if (!answers.empty()) {
      auto a = answers.front();
      answers.pop_front();
      return a;
    }
    return r.defaultButton != QMessageBox::NoButton ? r.defaultButton : QMessageBox::Ok;
  }
  std::optional<QString> input(QWidget*, const seam::InputRequest& r) override {
    inputs.push_back(r);
    if (inputAnswers.empty()) return std::nullopt;
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
  }
  QString openFileName(QWidget*, seam::FileRequest& r) override { return file(r); }
  QString saveFileName(QWidget*, seam::FileRequest& r) override { return file(r); }
  bool openUrl(const QUrl& url) override {
    urls.push_back(url);
    return urlAccepted;
  }
  void setClipboardText(const QString& text) override { clipboard = text; }
  QRect primaryScreen() override { return screen; }

  QStringList texts() const {
    QStringList out;
    for (const auto& m : messages) out << m.text;
    return out;
  }

 private:
  QString file(seam::FileRequest& r) {
    fileRequests.push_back(r);
    if (fileAnswers.empty()) return {};
    auto [name, index] = fileAnswers.front();
    fileAnswers.pop_front();
    r.filterIndex = index;
    return name;
  }
};
