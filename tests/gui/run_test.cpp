// Runs started from the main window: the result file, the completion dialog, the file list,
// the cursors, and the messages of refused runs.

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <optional>
#include <string_view>

#include "vellmor/inputs/user_number_format.h"
#include "vellmor/run/run_sequence.h"
#include "forms_fixture.h"
#include "gui/application_title.h"
#include "modal_closer.h"

namespace {

// The sink of a run made directly on the core, for comparison with the window's run.
class RecordingSink : public vellmor::MessageSink {
 public:
  void ShowMessage(std::string_view text) override { messages << QString::fromUtf8(text); }
  QStringList messages;
};

// A window keeps its own cursor attribute when the cursor is unset; it shows the arrow again.
bool HasDefaultCursors(const QWidget& window, const QWidget& button) {
  return window.cursor().shape() == Qt::ArrowCursor && !button.testAttribute(Qt::WA_SetCursor);
}

bool Lists(const QListWidget& list, const QString& name) {
  return !list.findItems(name, Qt::MatchExactly).isEmpty();
}

QStringList FileNames(const QListWidget& list) {
  QStringList names;
  for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
  return names;
}

}  // namespace

class RunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_.emplace(); }
  void cleanup() { forms_.reset(); }

  void GoWritesTheFileAndShowsCompletion_data();
  void GoWritesTheFileAndShowsCompletion();
  void EnterInAnyEditStartsExactlyOneRun_data();
  void EnterInAnyEditStartsExactlyOneRun();
  void RefusedRunShowsItsMessageOnly_data();
  void RefusedRunShowsItsMessageOnly();
  void WindowWritesWhatTheCoreWrites_data();
  void WindowWritesWhatTheCoreWrites();
  void FailedCalculationShowsWhereAndNoCompletion();
  void AirPoleOnTheLineIsShownAfterCompletion();

 private:
  QWidget& Form1() { return *forms_->form1; }
  QLineEdit& Edit(const char* name) { return Find<QLineEdit>(Form1(), name); }
  QPushButton& Go() { return Find<QPushButton>(Form1(), "BitBtn1"); }
  QListWidget& FileList() { return Find<QListWidget>(Form1(), "FileListBox1"); }
  void ShowWindow();

  std::optional<FormsFixture> forms_;
};

void RunTest::ShowWindow() {
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
}

void RunTest::GoWritesTheFileAndShowsCompletion_data() {
  QTest::addColumn<QString>("save_file_name");
  QTest::newRow("default name") << "result.txt";
  // The name is handed on as typed: leading blanks and non-ASCII letters are kept.
  QTest::newRow("leading blanks") << "  spaced.txt";
  QTest::newRow("Japanese name") << QStringLiteral("結果.txt");
}

void RunTest::GoWritesTheFileAndShowsCompletion() {
  QFETCH(QString, save_file_name);
  ShowWindow();
  Edit("Edit20").setText(save_file_name);
  const QString path = forms_->directory.FilePath(save_file_name);
  bool busy_while_open = false;
  bool listed_while_open = true;
  bool written_while_open = false;
  ModalCloser closer([&] {
    busy_while_open =
        Form1().cursor().shape() == Qt::WaitCursor && Go().cursor().shape() == Qt::WaitCursor;
    listed_while_open = Lists(FileList(), save_file_name);
    written_while_open = QFileInfo(path).size() > 0;
  });
  QTest::mouseClick(&Go(), Qt::LeftButton);
  QCOMPARE(closer.Messages(), QStringList());
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  QVERIFY(written_while_open);
  QVERIFY(busy_while_open);
  QVERIFY(!listed_while_open);
  QVERIFY(Lists(FileList(), save_file_name));
  QVERIFY(HasDefaultCursors(Form1(), Go()));
  QCOMPARE(Edit("Edit20").text(), save_file_name);
}

void RunTest::EnterInAnyEditStartsExactlyOneRun_data() {
  QTest::addColumn<QString>("edit");
  for (const char* name :
       {"Edit1", "Edit3", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "Edit12",
        "Edit13", "Edit14", "Edit15", "Edit16", "Edit19", "Edit20"}) {
    QTest::newRow(name) << QString::fromLatin1(name);
  }
}

void RunTest::EnterInAnyEditStartsExactlyOneRun() {
  QFETCH(QString, edit);
  ShowWindow();
  auto& field = Edit(edit.toLatin1().constData());
  field.setFocus();
  ModalCloser closer;
  QTest::keyClick(&field, Qt::Key_Return);
  QCOMPARE(closer.Messages(), QStringList());
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  QVERIFY(QFileInfo::exists(forms_->directory.FilePath("result.txt")));
}

void RunTest::RefusedRunShowsItsMessageOnly_data() {
  QTest::addColumn<QString>("edit");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("message");
  QTest::newRow("hole diameter 0") << "Edit1"
                                   << "0"
                                   << "Value of Hole Diameter is not correct";
  QTest::newRow("empty hole diameter") << "Edit1"
                                       << ""
                                       << "Input value is not correct!";
  QTest::newRow("negative zone 2 air") << "Edit14"
                                       << "-1.0"
                                       << "Value of 2nd Zone Air Velocity is not correct";
  QTest::newRow("empty save file name") << "Edit20"
                                        << ""
                                        << "Save File Name is not correct";
}

void RunTest::RefusedRunShowsItsMessageOnly() {
  QFETCH(QString, edit);
  QFETCH(QString, text);
  QFETCH(QString, message);
  ShowWindow();
  const QString earlier = forms_->directory.FilePath("result.txt");
  const QByteArray earlier_contents("an earlier run\r\n");
  WriteAll(earlier, earlier_contents);
  Edit(edit.toLatin1().constData()).setText(text);
  ModalCloser closer;
  QTest::mouseClick(&Go(), Qt::LeftButton);
  QCOMPARE(closer.Messages(), QStringList{message});
  QCOMPARE(closer.Dialogs(), QStringList());
  QCOMPARE(ReadAll(earlier), earlier_contents);
  QVERIFY(HasDefaultCursors(Form1(), Go()));
}

void RunTest::WindowWritesWhatTheCoreWrites_data() {
  QTest::addColumn<QString>("take_up_speed");
  QTest::newRow("default case") << "5000.0";
  QTest::newRow("slower take-up") << "4000.0";
}

void RunTest::WindowWritesWhatTheCoreWrites() {
  QFETCH(QString, take_up_speed);
  ShowWindow();
  Edit("Edit3").setText(take_up_speed);
  Edit("Edit20").setText(QStringLiteral("window.txt"));
  ModalCloser closer;
  QTest::mouseClick(&Go(), Qt::LeftButton);
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});

  vellmor::TInputTexts texts;
  texts.TakeUpSpeed = take_up_speed.toStdString();
  texts.SaveFileName = "core.txt";
  auto state = std::make_unique<vellmor::TRunState>();
  RecordingSink sink;
  vellmor::TRunOptions options;
  options.DecimalSeparator = vellmor::UserDecimalSeparator();
  const vellmor::TRunOutcome outcome = vellmor::RunSpinline(texts, *state, sink, options);
  QCOMPARE(outcome.Status, vellmor::RunStatus::kSucceeded);
  QCOMPARE(sink.messages, QStringList());

  const QByteArray window_file = ReadAll(forms_->directory.FilePath("window.txt"));
  QVERIFY(!window_file.isEmpty());
  QCOMPARE(window_file, ReadAll(forms_->directory.FilePath("core.txt")));
}

// A calculation that fails after the header: its one message in a box titled with the
// application's title, no completion dialog, the cursors back, and the file list as it was.
void RunTest::FailedCalculationShowsWhereAndNoCompletion() {
  ShowWindow();
  const QStringList files_before = FileNames(FileList());
  Edit("Edit7").setText(QStringLiteral("0"));  // zone 1's air hyperbola has its pole at x = 0
  ModalCloser closer;
  QTest::mouseClick(&Go(), Qt::LeftButton);
  QCOMPARE(closer.Messages(),
           QStringList{"Calculation stopped: floating-point division by zero at x = 0.0 cm in "
                       "pass 1 (spinneret tension 25.000 dyn)"});
  // "Vellmor" for the program itself; this test program's name gives its own title.
  QCOMPARE(closer.MessageTitles(), QStringList{vellmor::gui::ApplicationTitle()});
  QCOMPARE(closer.Dialogs(), QStringList());
  QVERIFY(HasDefaultCursors(Form1(), Go()));
  QVERIFY(QFileInfo::exists(forms_->directory.FilePath("result.txt")));  // the header
  QCOMPARE(FileNames(FileList()), files_before);
}

// Zone 2's hyperbola 60 / (x - 20.5) + 20 has its pole between the points at 20 and 21 cm: the
// run succeeds, and once the completion dialog is closed a message says what the air does
// there (-100 °C at 20 cm, 140 °C at 21 cm).
void RunTest::AirPoleOnTheLineIsShownAfterCompletion() {
  ShowWindow();
  Edit("Edit12").setText(QStringLiteral("-20.5"));
  ModalCloser closer;
  QTest::mouseClick(&Go(), Qt::LeftButton);
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  QCOMPARE(closer.Messages(),
           QStringList{"Zone 2 air temperature: the pole of A1/(Z + A2) + A3 lies at 20.5 cm, "
                       "inside the zone; air temperatures there run from -100.0 to 140.0 °C"});
  QVERIFY(HasDefaultCursors(Form1(), Go()));
}

QTEST_MAIN(RunTest)
#include "run_test.moc"
