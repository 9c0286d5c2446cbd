#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

// Closes every modal window the code under test opens, from inside that window's own event
// loop, and records what it closed: the text of each message box and the object name of each
// dialog. while_open runs just before a dialog or box is closed, to look at the main window
// while it is blocked.
class ModalCloser : public QObject {
 public:
  explicit ModalCloser(std::function<void()> while_open = {});

  QStringList Messages() const { return messages_; }
  QStringList Dialogs() const { return dialogs_; }
  QStringList MessageTitles() const { return titles_; }

 private:
  void CloseActiveModal();

  std::function<void()> while_open_;
  QStringList messages_;
  QStringList dialogs_;
  QStringList titles_;
  QTimer timer_;
};
