// The window under a locale whose decimal separator is a comma: the edits open with commas and
// GO reads them back, writing the result file with commas.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>
#include <optional>
#include <string>

#include "forms_fixture.h"
#include "modal_closer.h"
#include "support/comma_locale.h"

class LocaleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void EditsOpenWithCommasAndGoReadsThem();

 private:
  QTemporaryDir locales_;
};

void LocaleTest::initTestCase() {
  std::string why;
  const auto locale_path = vellmor::test::CompileCommaLocale(locales_.path().toStdString(), why);
  if (!locale_path) QSKIP(why.c_str());
  // The window reads the user's number format when it needs it, so setting it here is enough.
  qputenv("LOCPATH", QByteArray::fromStdString(locale_path->string()));
  qputenv("LC_ALL", vellmor::test::kCommaLocale);
}

void LocaleTest::EditsOpenWithCommasAndGoReadsThem() {
  FormsFixture forms;
  QWidget& form1 = *forms.form1;
  QCOMPARE(Find<QLineEdit>(form1, "Edit1").text(), QStringLiteral("0,025"));
  QCOMPARE(Find<QLineEdit>(form1, "Edit7").text(), QStringLiteral("-32,5"));
  QCOMPARE(Find<QLineEdit>(form1, "Edit20").text(), QStringLiteral("result.txt"));
  form1.show();
  QVERIFY(QTest::qWaitForWindowActive(&form1));
  ModalCloser closer;
  QTest::mouseClick(&Find<QPushButton>(form1, "BitBtn1"), Qt::LeftButton);
  QCOMPARE(closer.Messages(), QStringList());
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  const QByteArray file = ReadAll(forms.directory.FilePath(QStringLiteral("result.txt")));
  QVERIFY(file.contains("    Hole Diameter                        (cm) =  0,0250\r\n"));
}

QTEST_MAIN(LocaleTest)
#include "locale_test.moc"
