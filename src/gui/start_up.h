#pragma once

#include <memory>

#include "gui/t_form1.h"

namespace vellmor::gui {

// The application's windows in the order of start-up: the main window first, so that it is
// the main window, then the reference dialog and the completion dialog, hidden, owned by the
// main window and reused for every showing.
std::unique_ptr<TForm1> CreateForms();

}  // namespace vellmor::gui
