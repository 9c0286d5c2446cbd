#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "gui/start_up.h"
#include "scratch_directory.h"

// The application's windows as start-up creates them, started in a fresh scratch directory
// after prepare has run there.
struct FormsFixture {
  explicit FormsFixture(const std::function<void()>& prepare = [] {}) {
    prepare();
    form1 = vellmor::gui::CreateForms();
  }

  ScratchDirectory directory;
  std::unique_ptr<vellmor::gui::TForm1> form1;
};

// The child of parent with the given object name; a missing one ends the test program.
template <class Widget = QWidget>
Widget& Find(const QObject& parent, const char* name) {
  auto* child = parent.findChild<Widget*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no child named %s", name);
  return *child;
}
