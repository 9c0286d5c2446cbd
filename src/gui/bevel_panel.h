#pragma once

#include <QFrame>
#include <QString>

namespace vellmor::gui {

// A panel as the forms draw it: an outer and an inner bevel of bevel_width pixels each
// (raised, lowered or none), the face colour inside and a one-line caption. Children sit in
// the panel's own coordinates; the caption is drawn inside both bevels.
class BevelPanel : public QFrame {
  Q_OBJECT

 public:
  enum class Bevel { kNone, kRaised, kLowered };

  explicit BevelPanel(QWidget* parent = nullptr);

  void SetBevels(Bevel outer, Bevel inner, int bevel_width);
  void SetCaption(const QString& caption, Qt::Alignment alignment);
  QString Caption() const { return caption_; }
  // Pixels each bevel takes from every side together.
  int BevelThickness() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawBevel(QPainter& painter, QRect& rect, Bevel bevel) const;

  Bevel outer_ = Bevel::kRaised;
  Bevel inner_ = Bevel::kNone;
  int bevel_width_ = 1;
  QString caption_;
  Qt::Alignment alignment_ = Qt::AlignCenter;
};

}  // namespace vellmor::gui
