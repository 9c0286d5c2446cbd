#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include "gui/bevel_panel.h"
#include "gui/button_glyphs.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Builders of the controls the three forms are made of, each placed at its bounds in its
// parent and given the forms' font and colours.
namespace vellmor::gui {

QGroupBox* MakeGroupBox(QWidget& parent, const QString& name, const QRect& bounds,
                        const QString& caption, const QColor& caption_colour);

// An input row: a panel with a lowered inner bevel and a left-aligned blue caption.
BevelPanel* MakeRowPanel(QWidget& parent, const QRect& bounds, const QString& caption);

// A single-line edit with black text; a disabled one shows its text but takes no input.
QLineEdit* MakeEdit(QWidget& parent, const QString& name, const QRect& bounds, const QString& text,
                    bool enabled);

// A caption sized to its text, its top-left corner at top_left.
QLabel* MakeLabel(QWidget& parent, const QPoint& top_left, const QString& text,
                  const QColor& colour, int pixel_size);

// A button showing the glyph of its kind left of its caption. It takes no keyboard focus; a
// dialog whose button must hold the focus gives it a focus policy of its own.
QPushButton* MakeBitButton(QWidget& parent, const QString& name, ButtonKind kind,
                           const QString& caption, const QRect& bounds, int pixel_size);

}  // namespace vellmor::gui
