#pragma once

#include <QIcon>
#include <QPixmap>

namespace vellmor::gui {

// The kinds of bitmap button the forms use, each with its own glyph.
enum class ButtonKind {
  kOk,     // a green check mark
  kClose,  // an open door under a green exit light
  kHelp,   // a question mark
};

inline constexpr int kGlyphSize = 18;  // pixels square

// The glyph of a kind, in colour or in the grey of a disabled button.
QPixmap DrawGlyph(ButtonKind kind, bool disabled);

// Both looks of a kind's glyph, for QIcon's Normal and Disabled modes.
QIcon GlyphIcon(ButtonKind kind);

}  // namespace vellmor::gui
