#include "gui/t_form1.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "vellmor/inputs/user_number_format.h"
#include "vellmor/run/run_sequence.h"
#include "gui/bevel_panel.h"
#include "gui/directory_chain.h"
#include "gui/form_style.h"
#include "gui/profile_viewer_launcher.h"
#include "gui/spinline_picture.h"
#include "gui/t_finish_form.h"
#include "gui/t_form2.h"
#include "gui/widget_factory.h"

namespace vellmor::gui {
namespace {

constexpr QSize kClientSize{688, 452};

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, FixedDialogBorder(Qt::Window)), run_state_(std::make_unique<TRunState>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("VELLMOR"));
  setFont(FormFont(12));
  setFixedSize(kClientSize);
  CreateGroups();
  CreateRows();
  CreateButtons();
  CreatePicture();
  CreateDirectoryLists();
  SetTabOrder();
  CentreOnScreen();
}

TForm1::~TForm1() = default;

void TForm1::AttachDialogs(TForm2& form2, TFinishForm& finish_form) {
  form2_ = &form2;
  finish_form_ = &finish_form;
}

TInputTexts TForm1::ReadEditTexts() const {
  TInputTexts texts;
  for (const auto& [edit, text] : edits_) texts.*text = edit->text().toStdString();
  return texts;
}

// One run through the core's run sequence. A refused or failed run has shown its one message
// by the time the sequence returns; then only the cursors go back.
void TForm1::BitBtn1Click() {
  SetBusyCursors();
  TRunOptions options;
  options.DecimalSeparator = UserDecimalSeparator();
  const TRunOutcome outcome = RunSpinline(ReadEditTexts(), *run_state_, sink_, options);
  if (outcome.Status != RunStatus::kSucceeded) {
    RestoreCursors();
    return;
  }
  finish_form_->ShowModal(QDate::currentDate());
  // What the user should know of the result, once the run is done.
  std::string warnings;
  for (const std::string& warning : outcome.Warnings) {
    if (!warnings.empty()) warnings += '\n';
    warnings += warning;
  }
  if (!warnings.empty()) sink_.ShowMessage(warnings);
  RestoreCursors();
  directory_chain_->RefreshFiles();
}

void TForm1::BitBtn2Click() { close(); }

void TForm1::BitBtn3Click() { form2_->exec(); }

void TForm1::CreateGroups() {
  for (const TGroupLayout& group : Form1Groups()) {
    MakeGroupBox(*this, QString::fromLatin1(group.name), group.bounds,
                 QString::fromUtf16(group.caption), kCaptionRed);
  }
}

void TForm1::CreateRows() {
  for (const TRowLayout& row : Form1Rows()) CreateRow(row);
  auto& save_file_group = *findChild<QGroupBox*>(QString::fromLatin1(kSaveFileGroup));
  AddEdit(save_file_group, "Edit20", &TInputTexts::SaveFileName, true, kSaveFileEditBounds);
  edits_.back().first->setFocusPolicy(Qt::ClickFocus);
}

// The edits fill the row's height and overlap its bevels at its right end.
void TForm1::CreateRow(const TRowLayout& row) {
  auto& group = *findChild<QGroupBox*>(QString::fromLatin1(row.group));
  BevelPanel* panel = MakeRowPanel(group, row.bounds, QString::fromUtf16(row.caption));
  for (const TEditLayout& edit : row.edits) {
    AddEdit(*panel, edit.name, edit.text, edit.enabled,
            {edit.left, 0, edit.width, row.bounds.height()});
  }
  const int inset = panel->BevelThickness();
  for (const TPieceLayout& piece : row.pieces) {
    auto* label = new QLabel(QString::fromUtf16(piece.caption), panel);
    label->setGeometry(piece.left, inset, piece.width, row.bounds.height() - 2 * inset);
  }
}

void TForm1::AddEdit(QWidget& parent, const char* name, std::string TInputTexts::*text,
                     bool enabled, const QRect& bounds) {
  // The defaults are written with the user's decimal separator, so GO can read them back.
  const TInputTexts defaults = DefaultInputTexts(UserDecimalSeparator());
  QLineEdit* edit = MakeEdit(parent, QString::fromLatin1(name), bounds,
                             QString::fromStdString(defaults.*text), enabled);
  // Enter in any edit is a click on GO, the window's default button.
  connect(edit, &QLineEdit::returnPressed, this, [this] { go_button_->click(); });
  edits_.emplace_back(edit, text);
}

void TForm1::CreateButtons() {
  for (const TButtonLayout& button : Form1Buttons()) {
    MakeBitButton(*this, QString::fromLatin1(button.name), button.kind,
                  QString::fromUtf16(button.caption), button.bounds, button.pixel_size);
  }
  go_button_ = findChild<QPushButton*>(QStringLiteral("BitBtn1"));
  go_button_->setDefault(true);
  connect(go_button_, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(findChild<QPushButton*>(QStringLiteral("BitBtn2")), &QPushButton::clicked, this,
          &TForm1::BitBtn2Click);
  connect(findChild<QPushButton*>(QStringLiteral("BitBtn3")), &QPushButton::clicked, this,
          &TForm1::BitBtn3Click);
}

void TForm1::CreatePicture() {
  auto* frame = new BevelPanel(this);
  frame->setObjectName(QStringLiteral("Panel20"));
  frame->setGeometry(kPictureFrameBounds);
  frame->SetBevels(BevelPanel::Bevel::kRaised, BevelPanel::Bevel::kLowered,
                   kPictureFrameBevelWidth);
  auto* image = new QLabel(frame);
  image->setObjectName(QStringLiteral("Image1"));
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image->setPixmap(DrawSpinlinePicture());
  image->setGeometry(frame->contentsRect());
}

void TForm1::CreateDirectoryLists() {
  auto* drives = new QComboBox(this);
  drives->setObjectName(QStringLiteral("DriveComboBox1"));
  drives->setGeometry(kDriveComboBoxBounds);
  auto* directories = new QTreeWidget(this);
  directories->setObjectName(QStringLiteral("DirectoryListBox1"));
  directories->setGeometry(kDirectoryListBoxBounds);
  directories->setHeaderHidden(true);
  directories->setRootIsDecorated(false);
  directories->setItemsExpandable(false);
  directories->setExpandsOnDoubleClick(false);
  directories->setIndentation(8);
  auto* files = new QListWidget(this);
  files->setObjectName(QStringLiteral("FileListBox1"));
  files->setGeometry(kFileListBoxBounds);
  for (QWidget* list : {static_cast<QWidget*>(drives), static_cast<QWidget*>(directories),
                        static_cast<QWidget*>(files)}) {
    list->setFocusPolicy(Qt::NoFocus);
  }
  directory_chain_ = std::make_unique<DirectoryChain>(*drives, *directories, *files, sink_);
  profile_viewer_ = new ProfileViewerLauncher(*files, *this, sink_);
}

// Tab visits the enabled edits of the rows in the order of the rows; the save file name
// takes the focus by a click only.
void TForm1::SetTabOrder() {
  QWidget* previous = nullptr;
  for (const auto& [edit, text] : edits_) {
    if (!edit->isEnabled() || edit->focusPolicy() != Qt::StrongFocus) continue;
    if (previous != nullptr) setTabOrder(previous, edit);
    previous = edit;
  }
  // Typing replaces the text, as Tab into any other edit does.
  auto* first = findChild<QLineEdit*>(QStringLiteral("Edit1"));
  first->setFocus();
  first->selectAll();
}

void TForm1::CentreOnScreen() {
  move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
}

void TForm1::SetBusyCursors() {
  setCursor(Qt::WaitCursor);
  go_button_->setCursor(Qt::WaitCursor);
}

void TForm1::RestoreCursors() {
  unsetCursor();
  go_button_->unsetCursor();
}

}  // namespace vellmor::gui
