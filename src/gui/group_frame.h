#pragma once

#include <QGroupBox>

namespace vellmor::gui {

// A group box as the forms draw it: an etched frame whose top line runs through the middle of
// the caption, the caption standing on it near the left corner. The styles Qt ships put the
// caption above the frame instead, which pushes the frame onto the first row of every group.
class GroupFrame : public QGroupBox {
 public:
  GroupFrame(const QString& caption, QWidget* parent);

  // Where the frame's top line runs, in the box's own coordinates.
  int FrameTop() const;
  // The rectangle the caption is drawn in.
  QRect CaptionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vellmor::gui
