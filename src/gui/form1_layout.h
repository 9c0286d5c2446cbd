#pragma once

#include <QRect>
#include <string>
#include <vector>

#include "vellmor/inputs/input_texts.h"
#include "gui/button_glyphs.h"

// The main window's controls as data: where each sits and what it says. The window builds
// itself from these tables and reads its edits through them.
namespace vellmor::gui {

inline constexpr int kEditHeight = 20;  // pixels, of every edit of the main window

// An edit within its row; its text is one of the run's input texts, and it opens with the
// default of that text.
struct TEditLayout {
  const char* name;
  int left;
  int width;
  std::string TInputTexts::*text;
  bool enabled;
};

// A borderless piece of caption between two edits of an equation row.
struct TPieceLayout {
  int left;
  int width;
  const char16_t* caption;
};

// An input row: a bevelled panel with a blue caption inside a group box.
struct TRowLayout {
  const char* group;
  QRect bounds;
  const char16_t* caption;
  std::vector<TEditLayout> edits;
  std::vector<TPieceLayout> pieces;
};

struct TGroupLayout {
  const char* name;
  QRect bounds;
  const char16_t* caption;
};

struct TButtonLayout {
  const char* name;
  ButtonKind kind;
  const char16_t* caption;
  QRect bounds;
  int pixel_size;
};

const std::vector<TGroupLayout>& Form1Groups();
const std::vector<TRowLayout>& Form1Rows();
const std::vector<TButtonLayout>& Form1Buttons();

// The save file name's edit sits in its group box, not in a row.
inline constexpr const char* kSaveFileGroup = "GroupBox6";
inline constexpr QRect kSaveFileEditBounds{19, 18, 120, 20};

inline constexpr QRect kDriveComboBoxBounds{351, 302, 155, 18};
inline constexpr QRect kDirectoryListBoxBounds{350, 328, 156, 115};
inline constexpr QRect kFileListBoxBounds{520, 280, 158, 163};
inline constexpr QRect kPictureFrameBounds{551, 66, 130, 199};
inline constexpr int kPictureFrameBevelWidth = 2;

}  // namespace vellmor::gui
