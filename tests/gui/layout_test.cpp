// Every control of the three windows can be read whole: it lies inside its parent, no two
// controls of one parent overlap, and every caption fits its control. These checks stand on
// their own: they hold for any layout that shows everything, whatever the bounds are.

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <optional>

#include "forms_fixture.h"
#include "gui/bevel_panel.h"
#include "gui/group_frame.h"
#include "gui/t_finish_form.h"
#include "gui/t_form2.h"

using vellmor::gui::BevelPanel;
using vellmor::gui::GroupFrame;

namespace {

QString NameOf(const QWidget& widget) {
  const QString text = widget.objectName();
  if (!text.isEmpty()) return text;
  if (auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(&widget)) return group->title();
  if (auto* panel = qobject_cast<const BevelPanel*>(&widget)) return panel->Caption();
  return QString::fromLatin1(widget.metaObject()->className());
}

// The controls the windows are built of; a list, combo box or edit is one control, its inner
// widgets are Qt's.
bool IsContainer(const QWidget& widget) {
  return qobject_cast<const QGroupBox*>(&widget) != nullptr ||
         qobject_cast<const BevelPanel*>(&widget) != nullptr;
}

// The pixels a caption needs to be read: its trailing blanks show nothing.
int CaptionWidth(const QWidget& widget, QString caption) {
  while (caption.endsWith(u' ')) caption.chop(1);
  return widget.fontMetrics().horizontalAdvance(caption);
}

void CheckChildren(const QWidget& parent, QStringList& problems) {
  QList<QWidget*> children = parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  children.removeIf([](const QWidget* child) { return child->isWindow(); });  // the dialogs
  for (qsizetype i = 0; i < children.size(); ++i) {
    const QWidget& child = *children[i];
    if (!parent.rect().contains(child.geometry())) {
      problems << QStringLiteral("%1 reaches outside %2").arg(NameOf(child), NameOf(parent));
    }
    for (qsizetype j = i + 1; j < children.size(); ++j) {
      if (child.geometry().intersects(children[j]->geometry())) {
        problems << QStringLiteral("%1 overlaps %2").arg(NameOf(child), NameOf(*children[j]));
      }
    }
    if (auto* label = qobject_cast<const QLabel*>(&child);
        label != nullptr && CaptionWidth(*label, label->text()) > label->width()) {
      problems << QStringLiteral("%1 is cut off").arg(NameOf(child));
    }
    if (auto* button = qobject_cast<const QPushButton*>(&child);
        button != nullptr && button->sizeHint().width() > button->width()) {
      problems << QStringLiteral("%1 is too narrow for its caption").arg(NameOf(child));
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(&child);
        edit != nullptr && edit->fontMetrics().height() > edit->height()) {
      problems << QStringLiteral("%1 is lower than its text").arg(NameOf(child));
    }
    if (auto* group = dynamic_cast<const GroupFrame*>(&child)) {
      if (group->CaptionRect().right() >= group->width()) {
        problems << QStringLiteral("%1 is wider than its box").arg(NameOf(child));
      }
      // Every control inside the box stands below its frame line.
      for (const QWidget* inner : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (inner->y() <= group->FrameTop()) {
          problems
              << QStringLiteral("%1 covers the frame of %2").arg(NameOf(*inner), NameOf(child));
        }
      }
    }
    if (auto* panel = qobject_cast<const BevelPanel*>(&child); panel != nullptr) {
      // A row's caption must end before the first control drawn over it.
      int room = panel->width() - panel->BevelThickness();
      for (const QWidget* inner : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        room = std::min(room, inner->x());
      }
      if (!panel->Caption().isEmpty() &&
          panel->BevelThickness() + CaptionWidth(*panel, panel->Caption()) > room) {
        problems << QStringLiteral("%1 is cut off").arg(NameOf(child));
      }
    }
    if (IsContainer(child)) CheckChildren(child, problems);
  }
}

// Fails the test with every problem found in window.
void ExpectWhole(const QWidget& window) {
  QStringList problems;
  CheckChildren(window, problems);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_.emplace(); }
  void cleanup() { forms_.reset(); }

  void MainWindowShowsEveryControlWhole();
  void ReferenceDialogShowsEveryTextWhole();
  void CompletionDialogShowsEveryTextWhole();

 private:
  QWidget& Form1() { return *forms_->form1; }
  std::optional<FormsFixture> forms_;
};

void LayoutTest::MainWindowShowsEveryControlWhole() { ExpectWhole(Form1()); }

void LayoutTest::ReferenceDialogShowsEveryTextWhole() {
  ExpectWhole(*Form1().findChild<vellmor::gui::TForm2*>());
}

void LayoutTest::CompletionDialogShowsEveryTextWhole() {
  ExpectWhole(*Form1().findChild<vellmor::gui::TFinishForm*>());
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
