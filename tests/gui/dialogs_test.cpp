// The reference and completion dialogs, the message box and the application's title.

#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "forms_fixture.h"
#include "gui/application_title.h"
#include "gui/bevel_panel.h"
#include "gui/message_box_sink.h"
#include "gui/t_finish_form.h"
#include "gui/t_form2.h"
#include "modal_closer.h"

using vellmor::gui::TFinishForm;
using vellmor::gui::TForm2;

namespace {

QStringList LabelTexts(const QWidget& parent) {
  QStringList texts;
  for (const QLabel* label : parent.findChildren<QLabel*>()) texts << label->text();
  std::sort(texts.begin(), texts.end());
  return texts;
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_.emplace(); }
  void cleanup() { forms_.reset(); }

  void ReferenceDialogIsModalAndClosesWithItsButton();
  void ReferenceDialogShowsTheCorrelations();
  void CompletionDialogShowsTheRunDate();
  void DateCaptionHasNoLeadingZeros_data();
  void DateCaptionHasNoLeadingZeros();
  void MessageBoxHasOneOkButtonAndTheTitle();
  void TitleComesFromTheExecutableName_data();
  void TitleComesFromTheExecutableName();

 private:
  QWidget& Form1() { return *forms_->form1; }
  std::optional<FormsFixture> forms_;
};

void DialogsTest::ReferenceDialogIsModalAndClosesWithItsButton() {
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
  auto* form2 = Form1().findChild<TForm2*>();
  QVERIFY(form2 != nullptr && !form2->isVisible());
  bool modal_while_open = false;
  ModalCloser closer([&] {
    modal_while_open = QApplication::activeModalWidget() == form2 && form2->isVisible() &&
                       form2->windowModality() == Qt::ApplicationModal;
  });
  for (int showing = 0; showing < 2; ++showing) {
    QTest::mouseClick(&Find<QPushButton>(Form1(), "BitBtn3"), Qt::LeftButton);
  }
  QCOMPARE(closer.Dialogs(), (QStringList{"Form2", "Form2"}));
  QVERIFY(modal_while_open);
  QVERIFY(!form2->isVisible());
  QCOMPARE(Form1().findChildren<TForm2*>().size(), 1);
  QVERIFY(Form1().isVisible());
}

void DialogsTest::ReferenceDialogShowsTheCorrelations() {
  const auto& form2 = *Form1().findChild<TForm2*>();
  QCOMPARE(form2.windowTitle(), QStringLiteral("Reference Information of PET"));
  QCOMPARE(form2.size(), QSize(506, 293));
  QCOMPARE(form2.pos(), QPoint(249, 162));
  QStringList titles;
  for (const QGroupBox* group : form2.findChildren<QGroupBox*>()) titles << group->title();
  QCOMPARE(titles,
           (QStringList{"  Trouton Viscosity of PET", "  Other Physical Properties of PET  "}));
  QStringList expected{
      QStringLiteral("T >= 70  ℃"),
      QStringLiteral("　　λ = 0.273*(IV)^5.056*exp(6802/(T+273))"),
      QStringLiteral("T <  70 ℃"),
      QStringLiteral("　　λ = 0.273*(IV)^5.056*exp(6802/(T+273))*100.0 "),
      QStringLiteral("Density ρ = 1.36 - 0.0005*T"),
      "Specific Heat Cp = 0.3 + 0.0006*T",
      "Die Swell Ratio S = 0.575*exp{-3650*(1/548-1/(T+273))}",
      "*(SR)^0.134*(IV/0.61)^0.85",
      "   Note:  These physical",
      "   property values are built ",
      "   in the program.  If you  ",
      "   want to change these,   ",
      "   modifying the program is   ",
      "   necessary.    ",
  };
  std::sort(expected.begin(), expected.end());
  QCOMPARE(LabelTexts(form2), expected);
  const auto& close = Find<QPushButton>(form2, "BitBtn1");
  QCOMPARE(close.text(), QStringLiteral("&Close"));
  QCOMPARE(close.geometry(), QRect(379, 203, 97, 39));
}

void DialogsTest::CompletionDialogShowsTheRunDate() {
  auto& finish_form = *Form1().findChild<TFinishForm*>();
  QCOMPARE(finish_form.windowTitle(), QStringLiteral("FinishForm"));
  QCOMPARE(finish_form.size(), QSize(362, 230));
  QStringList labels_while_open;
  QString message_while_open;
  ModalCloser closer([&] {
    labels_while_open = LabelTexts(finish_form);
    for (const auto* panel : finish_form.findChildren<vellmor::gui::BevelPanel*>()) {
      if (!panel->Caption().isEmpty()) message_while_open = panel->Caption();
    }
  });
  finish_form.ShowModal(QDate(2001, 2, 3));
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  QCOMPARE(labels_while_open, (QStringList{"2001.2.3  ", "Vellmor"}));
  QCOMPARE(message_while_open, QStringLiteral("Calculation is successfully finished !"));
  const auto& ok = Find<QPushButton>(finish_form, "BitBtn1");
  QCOMPARE(ok.text(), QStringLiteral("OK"));
  QVERIFY(ok.isDefault());
}

void DialogsTest::DateCaptionHasNoLeadingZeros_data() {
  QTest::addColumn<QDate>("date");
  QTest::addColumn<QString>("caption");
  QTest::newRow("single digits") << QDate(2024, 3, 5) << "2024.3.5  ";
  QTest::newRow("double digits") << QDate(1999, 12, 31) << "1999.12.31  ";
  QTest::newRow("tenth month, first day") << QDate(2025, 10, 1) << "2025.10.1  ";
}

void DialogsTest::DateCaptionHasNoLeadingZeros() {
  QFETCH(QDate, date);
  QFETCH(QString, caption);
  QCOMPARE(vellmor::gui::DateCaption(date), caption);
}

void DialogsTest::MessageBoxHasOneOkButtonAndTheTitle() {
  QString title, text;
  qsizetype buttons = 0;
  ModalCloser closer([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box != nullptr);
    title = box->windowTitle();
    text = box->text();
    buttons = box->buttons().size();
  });
  vellmor::gui::MessageBoxSink sink;
  sink.ShowMessage("Value of Output is not correct");
  QCOMPARE(closer.Messages(), QStringList{"Value of Output is not correct"});
  QCOMPARE(title, QStringLiteral("Gui_dialogs_test"));
  QCOMPARE(buttons, 1);
}

void DialogsTest::TitleComesFromTheExecutableName_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("title");
  QTest::newRow("installed") << "/usr/bin/vellmor"
                             << "Vellmor";
  QTest::newRow("upper case with extension") << "VELLMOR.EXE"
                                             << "Vellmor";
  QTest::newRow("cut at the first dot") << "/opt/my.tool.bin"
                                        << "My";
  QTest::newRow("mixed case") << "build/vELLMOR"
                              << "Vellmor";
  QTest::newRow("one letter") << "v"
                              << "V";
}

void DialogsTest::TitleComesFromTheExecutableName() {
  QFETCH(QString, path);
  QFETCH(QString, title);
  QCOMPARE(vellmor::gui::ApplicationTitleOf(path), title);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
