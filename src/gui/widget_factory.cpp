#include "gui/widget_factory.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "gui/form_style.h"
#include "gui/group_frame.h"

namespace vellmor::gui {

QGroupBox* MakeGroupBox(QWidget& parent, const QString& name, const QRect& bounds,
                        const QString& caption, const QColor& caption_colour) {
  auto* group = new GroupFrame(caption, &parent);
  group->setObjectName(name);
  group->setGeometry(bounds);
  SetCaptionColour(*group, caption_colour);
  return group;
}

BevelPanel* MakeRowPanel(QWidget& parent, const QRect& bounds, const QString& caption) {
  auto* row = new BevelPanel(&parent);
  row->setGeometry(bounds);
  row->SetBevels(BevelPanel::Bevel::kRaised, BevelPanel::Bevel::kLowered, 1);
  row->SetCaption(caption, Qt::AlignLeft);
  SetCaptionColour(*row, kCaptionBlue);
  return row;
}

QLineEdit* MakeEdit(QWidget& parent, const QString& name, const QRect& bounds, const QString& text,
                    bool enabled) {
  auto* edit = new QLineEdit(text, &parent);
  edit->setObjectName(name);
  edit->setGeometry(bounds);
  edit->setEnabled(enabled);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Active, QPalette::Text, kCaptionBlack);
  palette.setColor(QPalette::Inactive, QPalette::Text, kCaptionBlack);
  edit->setPalette(palette);
  return edit;
}

QLabel* MakeLabel(QWidget& parent, const QPoint& top_left, const QString& text,
                  const QColor& colour, int pixel_size) {
  auto* label = new QLabel(text, &parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(FormFont(pixel_size));
  SetCaptionColour(*label, colour);
  label->move(top_left);
  label->adjustSize();
  return label;
}

QPushButton* MakeBitButton(QWidget& parent, const QString& name, ButtonKind kind,
                           const QString& caption, const QRect& bounds, int pixel_size) {
  auto* button = new QPushButton(GlyphIcon(kind), caption, &parent);
  button->setObjectName(name);
  button->setGeometry(bounds);
  button->setIconSize(QSize(kGlyphSize, kGlyphSize));
  button->setFont(FormFont(pixel_size));
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace vellmor::gui
