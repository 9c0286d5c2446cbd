// The drive, directory and file lists of the main window and the current directory they set.

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <optional>

#include "forms_fixture.h"
#include "gui/directory_listing.h"
#include "modal_closer.h"

namespace {

QStringList Texts(const QListWidget& list) {
  QStringList texts;
  for (int row = 0; row < list.count(); ++row) texts << list.item(row)->text();
  return texts;
}

// The directory list from the top: the path items, then the subdirectories of the last one.
QStringList Texts(const QTreeWidget& tree) {
  QStringList texts;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it != nullptr; ++it) {
    texts << (*it)->text(0);
  }
  return texts;
}

}  // namespace

class DirectoryListsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { forms_.reset(); }

  void ListsShowTheStartDirectory();
  void OpeningASubdirectoryMovesTheRunThere();
  void OpeningAnAncestorGoesBackUp();
  void ClickInFileListLeavesSaveNameUnchanged();
  void VanishedDirectoryIsReportedAndChangesNothing();
  void ChoosingTheDriveAgainKeepsItsLastDirectory();
  void PathFromRootListsEveryAncestor();

 private:
  QWidget& Form1() { return *forms_->form1; }
  QTreeWidget& Directories() { return Find<QTreeWidget>(Form1(), "DirectoryListBox1"); }
  QListWidget& Files() { return Find<QListWidget>(Form1(), "FileListBox1"); }
  void DoubleClick(const QString& name);

  std::optional<FormsFixture> forms_;
};

// A start directory with subdirectories and files in no particular order, and a hidden one of
// each.
void DirectoryListsTest::init() {
  forms_.emplace([] {
    for (const char* name : {"sub", "Beta", "alpha", ".hidden"}) QDir().mkdir(name);
    for (const char* name : {"zeta.txt", "Alpha.dat", ".profile"}) WriteAll(name, "x");
  });
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
}

// Through the window, as the window system delivers a double click: press, release, press
// with the double-click flag, release.
void DirectoryListsTest::DoubleClick(const QString& name) {
  const QList<QTreeWidgetItem*> items =
      Directories().findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  QCOMPARE(items.size(), 1);
  Directories().scrollToItem(items.front());
  const QPoint centre = Directories().visualItemRect(items.front()).center();
  QTest::mouseDClick(Form1().windowHandle(), Qt::LeftButton, {},
                     Directories().viewport()->mapTo(&Form1(), centre));
}

void DirectoryListsTest::ListsShowTheStartDirectory() {
  QStringList path_items;
  for (const QString& path : vellmor::gui::PathFromRoot(forms_->directory.Path())) {
    path_items << (path == "/" ? path : QFileInfo(path).fileName());
  }
  QCOMPARE(Texts(Directories()), path_items + QStringList({"alpha", "Beta", "sub"}));
  QCOMPARE(Texts(Files()), (QStringList{"Alpha.dat", "zeta.txt"}));
  const auto& drives = Find<QComboBox>(Form1(), "DriveComboBox1");
  QCOMPARE(drives.currentText(), vellmor::gui::VolumeRoot(forms_->directory.Path()));
}

void DirectoryListsTest::OpeningASubdirectoryMovesTheRunThere() {
  DoubleClick(QStringLiteral("sub"));
  const QString sub = forms_->directory.FilePath("sub");
  QCOMPARE(QDir::currentPath(), sub);
  QCOMPARE(Texts(Files()), QStringList());
  QCOMPARE(Directories().currentItem()->text(0), QStringLiteral("sub"));

  ModalCloser closer;
  QTest::mouseClick(&Find<QPushButton>(Form1(), "BitBtn1"), Qt::LeftButton);
  QCOMPARE(closer.Dialogs(), QStringList{"FinishForm"});
  QVERIFY(QFileInfo::exists(sub + "/result.txt"));
  QVERIFY(!QFileInfo::exists(forms_->directory.FilePath("result.txt")));
  QCOMPARE(Texts(Files()), QStringList{"result.txt"});
}

void DirectoryListsTest::OpeningAnAncestorGoesBackUp() {
  DoubleClick(QStringLiteral("sub"));
  DoubleClick(QFileInfo(forms_->directory.Path()).fileName());
  QCOMPARE(QDir::currentPath(), forms_->directory.Path());
  QCOMPARE(Texts(Files()), (QStringList{"Alpha.dat", "zeta.txt"}));
}

// A double click plots a result file; Alpha.dat is none, so the viewer says so, and nothing
// else changes.
void DirectoryListsTest::ClickInFileListLeavesSaveNameUnchanged() {
  const QRect first = Files().visualItemRect(Files().item(0));
  QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, first.center());
  ModalCloser closer;
  QTest::mouseDClick(Files().viewport(), Qt::LeftButton, {}, first.center());
  QCOMPARE(closer.Messages().size(), 1);
  QVERIFY(closer.Messages().front().startsWith("Alpha.dat is not a result file: line 1: "));
  QCOMPARE(Files().currentRow(), 0);
  QCOMPARE(Find<QLineEdit>(Form1(), "Edit20").text(), QStringLiteral("result.txt"));
  QCOMPARE(QDir::currentPath(), forms_->directory.Path());
}

// A directory removed after the list was read cannot be entered.
void DirectoryListsTest::VanishedDirectoryIsReportedAndChangesNothing() {
  QVERIFY(QDir().rmdir("alpha"));
  const QStringList directories_before = Texts(Directories());
  ModalCloser closer;
  DoubleClick(QStringLiteral("alpha"));
  QCOMPARE(closer.Messages(), QStringList{QString::fromLocal8Bit(std::strerror(ENOENT))});
  QCOMPARE(QDir::currentPath(), forms_->directory.Path());
  QCOMPARE(Texts(Directories()), directories_before);
  QCOMPARE(Texts(Files()), (QStringList{"Alpha.dat", "zeta.txt"}));
}

// Choosing a file system returns to the directory last used on it.
void DirectoryListsTest::ChoosingTheDriveAgainKeepsItsLastDirectory() {
  DoubleClick(QStringLiteral("sub"));
  auto& drives = Find<QComboBox>(Form1(), "DriveComboBox1");
  emit drives.activated(drives.currentIndex());
  QCOMPARE(QDir::currentPath(), forms_->directory.FilePath("sub"));
  QCOMPARE(drives.currentText(), vellmor::gui::VolumeRoot(QDir::currentPath()));
}

void DirectoryListsTest::PathFromRootListsEveryAncestor() {
  QCOMPARE(vellmor::gui::PathFromRoot("/"), QStringList{"/"});
  QCOMPARE(vellmor::gui::PathFromRoot("/home/user/"), (QStringList{"/", "/home", "/home/user"}));
}

QTEST_MAIN(DirectoryListsTest)
#include "directory_lists_test.moc"
