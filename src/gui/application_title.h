#pragma once

#include <QString>

namespace vellmor::gui {

// The application's title as the name of its executable gives it: the file name up to its
// first dot, the first letter in upper case and every letter after it in lower case
// ("Vellmor" for vellmor).
QString ApplicationTitleOf(const QString& executable_path);

// The title of the running executable; message boxes carry it.
QString ApplicationTitle();

}  // namespace vellmor::gui
