#include "gui/form1_layout.h"

namespace vellmor::gui {
namespace {

using T = TInputTexts;

constexpr int kRowLeft = 12;  // in a zone's group box
constexpr int kRowWidth = 282;
// As tall as the edits, so that every edit shows whole inside its row.
constexpr int kRowHeight = kEditHeight;

QRect RowBounds(int top) { return {kRowLeft, top, kRowWidth, kRowHeight}; }

TRowLayout ValueRow(const char* group, int top, const char16_t* caption, const char* edit,
                    std::string T::*text, bool enabled = true) {
  return {group, RowBounds(top), caption, {{edit, 220, 60, text, enabled}}, {}};
}

// Reads as the zone's air temperature Tair = A1 /( Z + A2 ) + A3, the edits standing for the
// three parameters.
TRowLayout EquationRow(const char* group, int top, const char* a1, std::string T::*a1_text,
                       const char* a2, std::string T::*a2_text, const char* a3,
                       std::string T::*a3_text) {
  return {group,
          RowBounds(top),
          u"  Tair = ",
          {{a1, 44, 54, a1_text, true}, {a2, 138, 51, a2_text, true}, {a3, 220, 59, a3_text, true}},
          {{101, 37, u"/( Z +  "}, {192, 28, u" ) +   "}}};
}

// "Positon" is the window's own caption, kept as users know it: do not correct it.
constexpr const char16_t* kZoneEndCaption = u"  Zone End Positon (cm)";

std::vector<TRowLayout> BuildRows() {
  return {
      ValueRow("GroupBox1", 16, u"  Hole Diameter (cm)", "Edit1", &T::HoleDiameter),
      ValueRow("GroupBox1", 40, u"  Output (g/min)", "Edit2", &T::Output, false),
      ValueRow("GroupBox1", 64, u"  Take-up Speed (m/min)", "Edit3", &T::TakeUpSpeed),
      ValueRow("GroupBox1", 88, u"  Polymer Melt Temperature (℃)", "Edit4", &T::MeltTemperature,
               false),
      ValueRow("GroupBox2", 15, kZoneEndCaption, "Edit5", &T::Zone1End),
      EquationRow("GroupBox2", 39, "Edit6", &T::Zone1A1, "Edit7", &T::Zone1A2, "Edit8",
                  &T::Zone1A3),
      ValueRow("GroupBox2", 63, u"  Air Velocity (cm/s)", "Edit9", &T::Zone1AirVelocity),
      ValueRow("GroupBox3", 15, kZoneEndCaption, "Edit10", &T::Zone2End),
      EquationRow("GroupBox3", 39, "Edit11", &T::Zone2A1, "Edit12", &T::Zone2A2, "Edit13",
                  &T::Zone2A3),
      ValueRow("GroupBox3", 63, u"  Air Velocity (cm/s)", "Edit14", &T::Zone2AirVelocity),
      ValueRow("GroupBox4", 15, kZoneEndCaption, "Edit15", &T::Zone3End),
      {"GroupBox4", RowBounds(39), u"  Tair : use same equation of Zone 2", {}, {}},
      ValueRow("GroupBox4", 63, u"  Air Velocity (cm/s)", "Edit16", &T::Zone3AirVelocity),
      {"GroupBox5",
       {18, 16, 286, kRowHeight},
       u"  IV of PET",
       {{"Edit17", 213, 68, &T::IV, false}},
       {}},
      {"GroupBox7",
       {10, 16, 184, kRowHeight},
       u"  Increment (cm)",
       {{"Edit19", 122, 60, &T::Increment, true}},
       {}},
  };
}

}  // namespace

const std::vector<TGroupLayout>& Form1Groups() {
  static const std::vector<TGroupLayout> groups = {
      {"GroupBox1", {12, 5, 307, 118}, u"  Operating Condition  "},
      {"GroupBox2", {11, 134, 307, 94}, u"  1st Zone Condition  "},
      {"GroupBox3", {12, 241, 307, 94}, u"  2nd Zone Condition  "},
      {"GroupBox4", {11, 349, 307, 94}, u"  3rd Zone Condition  "},
      {"GroupBox5", {335, 8, 322, 49}, u"  Physical Property  "},
      {"GroupBox7", {337, 75, 204, 60}, u"  Calculation Accuracy  "},
      {"GroupBox6", {350, 246, 155, 48}, u"  Save File Name  "},
  };
  return groups;
}

const std::vector<TRowLayout>& Form1Rows() {
  static const std::vector<TRowLayout> rows = BuildRows();
  return rows;
}

const std::vector<TButtonLayout>& Form1Buttons() {
  static const std::vector<TButtonLayout> buttons = {
      // "Infomation" is the button's own caption, kept as users know it: do not correct it.
      {"BitBtn3", ButtonKind::kHelp, u"&Reference Infomation", {345, 148, 186, 37}, 12},
      {"BitBtn1", ButtonKind::kOk, u"GO", {345, 200, 90, 35}, 15},
      {"BitBtn2", ButtonKind::kClose, u"&Close", {445, 200, 90, 35}, 15},
  };
  return buttons;
}

}  // namespace vellmor::gui
