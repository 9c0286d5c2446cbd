#pragma once

#include <QPixmap>

namespace vellmor::gui {

inline constexpr int kSpinlinePictureWidth = 122;   // pixels
inline constexpr int kSpinlinePictureHeight = 191;  // pixels

// The schematic of the spinline the main window shows as decoration: the spinneret with its
// hole diameter Do at the top, the distance x from its face downward, velocity V(x) and tension
// F(x) along the filament, a slice between x and x+Δx, the length L and the take-up roll with
// its speed Vw and tension Fw at the bottom.
QPixmap DrawSpinlinePicture();

}  // namespace vellmor::gui
