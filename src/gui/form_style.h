#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <Qt>

class QWidget;

namespace vellmor::gui {

// The pure colours the forms use for their captions.
inline const QColor kCaptionRed{0xFF, 0x00, 0x00};
inline const QColor kCaptionBlue{0x00, 0x00, 0xFF};
inline const QColor kCaptionBlack{0x00, 0x00, 0x00};

// A fixed dialog border: a title with its close box, no minimise or maximise box, for a
// window of type (Qt::Window for the main window, Qt::Dialog for the dialogs).
constexpr Qt::WindowFlags FixedDialogBorder(Qt::WindowType type) {
  return type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

// The family of every text of the forms: the Japanese proportional Gothic the forms were laid
// out with where it is installed, else its metric-compatible IPA counterpart, else the system's
// sans serif.
QString FormFontFamily();

// The forms' font at a height of pixel_size pixels.
QFont FormFont(int pixel_size);

// Sets the colour of a widget's caption text (the window-text role, which labels, panels and
// group-box titles draw with); children that do not set their own colour inherit it.
void SetCaptionColour(QWidget& widget, const QColor& colour);

}  // namespace vellmor::gui
