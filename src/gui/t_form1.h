#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vellmor/inputs/input_texts.h"
#include "vellmor/solver/run_state.h"
#include "gui/form1_layout.h"
#include "gui/message_box_sink.h"

class QLineEdit;
class QPushButton;

namespace vellmor::gui {

class DirectoryChain;
class ProfileViewerLauncher;
class TFinishForm;
class TForm2;

// The main window: the conditions of a spinline in nineteen edits, the directory of the
// result file, and the buttons that start a run and show the built-in correlations. It
// computes nothing itself: GO hands the edit texts to the core's run sequence.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The two dialogs, created after the main window at start-up and reused for every showing.
  void AttachDialogs(TForm2& form2, TFinishForm& finish_form);

  // The texts of the nineteen edits, disabled ones included.
  TInputTexts ReadEditTexts() const;

  void BitBtn1Click();  // GO: one run
  void BitBtn2Click();  // &Close: ends the application
  void BitBtn3Click();  // &Reference Infomation

 private:
  void CreateGroups();
  void CreateRows();
  void CreateRow(const TRowLayout& row);
  void AddEdit(QWidget& parent, const char* name, std::string TInputTexts::*text, bool enabled,
               const QRect& bounds);
  void CreateButtons();
  void CreatePicture();
  void CreateDirectoryLists();
  void SetTabOrder();
  void CentreOnScreen();
  void SetBusyCursors();
  void RestoreCursors();

  std::unique_ptr<TRunState> run_state_;
  MessageBoxSink sink_;
  std::vector<std::pair<QLineEdit*, std::string TInputTexts::*>> edits_;  // Edit1 to Edit20
  QPushButton* go_button_ = nullptr;
  std::unique_ptr<DirectoryChain> directory_chain_;
  ProfileViewerLauncher* profile_viewer_ = nullptr;  // owned by the window
  TForm2* form2_ = nullptr;
  TFinishForm* finish_form_ = nullptr;
};

}  // namespace vellmor::gui
