// The main window as it opens: texts, geometry, focus, Tab order, colours and access keys.

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "forms_fixture.h"
#include "gui/bevel_panel.h"
#include "gui/button_glyphs.h"
#include "gui/form_style.h"
#include "modal_closer.h"

using vellmor::gui::BevelPanel;
using vellmor::gui::ButtonKind;

namespace {

// The captions of a parent's row panels and caption pieces, left to right within each row
// and rows top to bottom, with the edits' texts in their places.
QStringList ReadingOrder(const QWidget& parent) {
  QList<QWidget*> rows = parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  std::sort(rows.begin(), rows.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
  QStringList texts;
  for (QWidget* row : rows) {
    auto* panel = qobject_cast<BevelPanel*>(row);
    if (panel == nullptr) continue;
    texts << panel->Caption();
    QList<QWidget*> pieces = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::sort(pieces.begin(), pieces.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    for (QWidget* piece : pieces) {
      if (auto* label = qobject_cast<QLabel*>(piece)) texts << label->text();
      if (auto* edit = qobject_cast<QLineEdit*>(piece)) texts << edit->objectName();
    }
  }
  return texts;
}

// Whether a pixmap has any pixel of strong colour, as opposed to greys and transparency.
bool HasColour(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel.alpha() > 0 && pixel.hsvSaturation() > 64) return true;
    }
  }
  return false;
}

}  // namespace

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_.emplace(); }
  void cleanup() { forms_.reset(); }

  void EditsOpenWithTheirDefaults_data();
  void EditsOpenWithTheirDefaults();
  void WindowHasFixedDialogBorder();
  void ControlsSitAtTheirBounds_data();
  void ControlsSitAtTheirBounds();
  void RowsReadAsTheirLabels_data();
  void RowsReadAsTheirLabels();
  void CaptionsHaveTheirColours();
  void FontIsJapaneseGothicWithDegreeSign();
  void FocusStartsInEdit1AndTabVisitsEnabledEdits();
  void OnlyEditsTakeTheFocus();
  void AccessKeysClickTheirButtons();
  void GlyphsTurnGreyWhenDisabled_data();
  void GlyphsTurnGreyWhenDisabled();

 private:
  QWidget& Form1() { return *forms_->form1; }
  std::optional<FormsFixture> forms_;
};

void StartUpTest::EditsOpenWithTheirDefaults_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("enabled");
  // The window's default case: a 0.25 mm hole at 1 g/min, 5000 m/min, three cooling zones.
  QTest::newRow("Edit1") << "0.025" << true;
  QTest::newRow("Edit2") << "1.0" << false;
  QTest::newRow("Edit3") << "5000.0" << true;
  QTest::newRow("Edit4") << "290.0" << false;
  QTest::newRow("Edit5") << "10.0" << true;
  QTest::newRow("Edit6") << "16087.5" << true;
  QTest::newRow("Edit7") << "-32.5" << true;
  QTest::newRow("Edit8") << "765.0" << true;
  QTest::newRow("Edit9") << "0.0" << true;
  QTest::newRow("Edit10") << "35.0" << true;
  QTest::newRow("Edit11") << "60.0" << true;
  QTest::newRow("Edit12") << "-8.0" << true;
  QTest::newRow("Edit13") << "20.0" << true;
  QTest::newRow("Edit14") << "50.0" << true;
  QTest::newRow("Edit15") << "100.0" << true;
  QTest::newRow("Edit16") << "0.0" << true;
  QTest::newRow("Edit17") << "0.67" << false;
  QTest::newRow("Edit19") << "1.0" << true;
  QTest::newRow("Edit20") << "result.txt" << true;
}

void StartUpTest::EditsOpenWithTheirDefaults() {
  QFETCH(QString, text);
  QFETCH(bool, enabled);
  const auto& edit = Find<QLineEdit>(Form1(), QTest::currentDataTag());
  QCOMPARE(edit.text(), text);
  QCOMPARE(edit.isEnabled(), enabled);
  QVERIFY(Form1().findChild<QLineEdit*>(QStringLiteral("Edit18")) == nullptr);
}

void StartUpTest::WindowHasFixedDialogBorder() {
  Form1().show();
  QCOMPARE(Form1().windowTitle(), QStringLiteral("VELLMOR"));
  QCOMPARE(Form1().size(), QSize(688, 452));
  QCOMPARE(Form1().minimumSize(), Form1().maximumSize());
  const Qt::WindowFlags flags = Form1().windowFlags();
  QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
}

void StartUpTest::ControlsSitAtTheirBounds_data() {
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QRect>("bounds");
  QTest::newRow("GroupBox1") << "  Operating Condition  " << QRect(12, 5, 307, 118);
  QTest::newRow("GroupBox2") << "  1st Zone Condition  " << QRect(11, 134, 307, 94);
  QTest::newRow("GroupBox3") << "  2nd Zone Condition  " << QRect(12, 241, 307, 94);
  QTest::newRow("GroupBox4") << "  3rd Zone Condition  " << QRect(11, 349, 307, 94);
  QTest::newRow("GroupBox5") << "  Physical Property  " << QRect(335, 8, 322, 49);
  QTest::newRow("GroupBox7") << "  Calculation Accuracy  " << QRect(337, 75, 204, 60);
  QTest::newRow("GroupBox6") << "  Save File Name  " << QRect(350, 246, 155, 48);
  QTest::newRow("BitBtn3") << "&Reference Infomation" << QRect(345, 148, 186, 37);
  QTest::newRow("BitBtn1") << "GO" << QRect(345, 200, 90, 35);
  QTest::newRow("BitBtn2") << "&Close" << QRect(445, 200, 90, 35);
  QTest::newRow("Edit20") << QString() << QRect(19, 18, 120, 20);
  QTest::newRow("DriveComboBox1") << QString() << QRect(351, 302, 155, 18);
  QTest::newRow("DirectoryListBox1") << QString() << QRect(350, 328, 156, 115);
  QTest::newRow("FileListBox1") << QString() << QRect(520, 280, 158, 163);
  QTest::newRow("Panel20") << QString() << QRect(551, 66, 130, 199);
  // The picture fills the panel inside its two bevels of two pixels each.
  QTest::newRow("Image1") << QString() << QRect(4, 4, 122, 191);
}

void StartUpTest::ControlsSitAtTheirBounds() {
  QFETCH(QString, caption);
  QFETCH(QRect, bounds);
  const auto& control = Find(Form1(), QTest::currentDataTag());
  QCOMPARE(control.geometry(), bounds);
  if (auto* group = qobject_cast<const QGroupBox*>(&control)) QCOMPARE(group->title(), caption);
  if (auto* button = qobject_cast<const QPushButton*>(&control)) {
    QCOMPARE(button->text(), caption);
  }
}

void StartUpTest::RowsReadAsTheirLabels_data() {
  QTest::addColumn<QStringList>("reading");
  const QString end = QStringLiteral("  Zone End Positon (cm)");
  const QString air = QStringLiteral("  Air Velocity (cm/s)");
  const QString tair = QStringLiteral("  Tair = ");
  const QString over = QStringLiteral("/( Z +  ");
  const QString plus = QStringLiteral(" ) +   ");
  QTest::newRow("GroupBox1") << QStringList{"  Hole Diameter (cm)",
                                            "Edit1",
                                            "  Output (g/min)",
                                            "Edit2",
                                            "  Take-up Speed (m/min)",
                                            "Edit3",
                                            QStringLiteral("  Polymer Melt Temperature (℃)"),
                                            "Edit4"};
  QTest::newRow("GroupBox2") << QStringList{end,     "Edit5", tair,    "Edit6", over,
                                            "Edit7", plus,    "Edit8", air,     "Edit9"};
  QTest::newRow("GroupBox3") << QStringList{end,      "Edit10", tair,     "Edit11", over,
                                            "Edit12", plus,     "Edit13", air,      "Edit14"};
  QTest::newRow("GroupBox4") << QStringList{end, "Edit15", "  Tair : use same equation of Zone 2",
                                            air, "Edit16"};
  QTest::newRow("GroupBox5") << QStringList{"  IV of PET", "Edit17"};
  QTest::newRow("GroupBox7") << QStringList{"  Increment (cm)", "Edit19"};
}

void StartUpTest::RowsReadAsTheirLabels() {
  QFETCH(QStringList, reading);
  QCOMPARE(ReadingOrder(Find(Form1(), QTest::currentDataTag())), reading);
}

void StartUpTest::CaptionsHaveTheirColours() {
  const QColor red(255, 0, 0), blue(0, 0, 255), black(0, 0, 0);
  for (auto* group : Form1().findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
    QCOMPARE(group->palette().color(QPalette::WindowText), red);
    for (auto* row : group->findChildren<BevelPanel*>()) {
      QCOMPARE(row->palette().color(QPalette::WindowText), blue);
    }
  }
  QCOMPARE(Find(Form1(), "Edit1").palette().color(QPalette::Active, QPalette::Text), black);
  QCOMPARE(Find(Form1(), "Edit7")
               .parentWidget()
               ->findChild<QLabel*>()
               ->palette()
               .color(QPalette::WindowText),
           blue);
}

void StartUpTest::FontIsJapaneseGothicWithDegreeSign() {
  const QFont font = Form1().font();
  QCOMPARE(font.pixelSize(), 12);
  if (!QFontDatabase::families().contains(QStringLiteral("ＭＳ Ｐゴシック")) &&
      QFontDatabase::families().contains(QStringLiteral("IPAPGothic"))) {
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
  }
  QVERIFY(QFontMetrics(font).inFontUcs4(0x2103));  // ℃ drawn as the one character it is
}

void StartUpTest::FocusStartsInEdit1AndTabVisitsEnabledEdits() {
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
  QCOMPARE(QApplication::focusWidget(), &Find(Form1(), "Edit1"));
  // The text is selected, as Tab selects the text of the edit it enters: typing replaces it.
  QCOMPARE(Find<QLineEdit>(Form1(), "Edit1").selectedText(), QStringLiteral("0.025"));
  const QStringList expected{"Edit3",  "Edit5",  "Edit6",  "Edit7",  "Edit8",
                             "Edit9",  "Edit10", "Edit11", "Edit12", "Edit13",
                             "Edit14", "Edit15", "Edit16", "Edit19", "Edit1"};
  QStringList visited;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  QCOMPARE(visited, expected);
}

void StartUpTest::OnlyEditsTakeTheFocus() {
  QCOMPARE(Find(Form1(), "Edit20").focusPolicy(), Qt::ClickFocus);
  for (const char* name :
       {"BitBtn1", "BitBtn2", "BitBtn3", "DriveComboBox1", "DirectoryListBox1", "FileListBox1"}) {
    QCOMPARE(Find(Form1(), name).focusPolicy(), Qt::NoFocus);
  }
}

void StartUpTest::AccessKeysClickTheirButtons() {
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
  ModalCloser closer;
  QTest::keyClick(&Form1(), Qt::Key_R, Qt::AltModifier);
  QTRY_COMPARE(closer.Dialogs(), QStringList{"Form2"});
  Form1().activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), &Form1());
  QTest::keyClick(&Form1(), Qt::Key_C, Qt::AltModifier);
  QTRY_VERIFY(!Form1().isVisible());
  QCOMPARE(closer.Messages(), QStringList());
}

void StartUpTest::GlyphsTurnGreyWhenDisabled_data() {
  QTest::addColumn<ButtonKind>("kind");
  QTest::newRow("BitBtn1") << ButtonKind::kOk;
  QTest::newRow("BitBtn2") << ButtonKind::kClose;
  QTest::newRow("BitBtn3") << ButtonKind::kHelp;
}

void StartUpTest::GlyphsTurnGreyWhenDisabled() {
  QFETCH(ButtonKind, kind);
  const QIcon icon = Find<QPushButton>(Form1(), QTest::currentDataTag()).icon();
  const QSize size(vellmor::gui::kGlyphSize, vellmor::gui::kGlyphSize);
  QVERIFY(HasColour(icon.pixmap(size, QIcon::Normal)));
  QVERIFY(!HasColour(icon.pixmap(size, QIcon::Disabled)));
  QVERIFY(!icon.pixmap(size, QIcon::Disabled).toImage().isNull());
  QCOMPARE(icon.pixmap(size).toImage(), vellmor::gui::DrawGlyph(kind, false).toImage());
}

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
