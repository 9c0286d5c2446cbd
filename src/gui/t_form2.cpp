#include "gui/t_form2.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "gui/bevel_panel.h"
#include "gui/form_style.h"
#include "gui/widget_factory.h"

namespace vellmor::gui {
namespace {

constexpr QSize kClientSize{506, 293};
constexpr QPoint kScreenPosition{249, 162};

enum class Parent { kPanel, kTroutonGroup, kPropertiesGroup };

struct TLabelLayout {
  Parent parent;
  QPoint top_left;
  const char16_t* text;
  const QColor& colour;
  bool underlined;
};

// The captions state what the PET properties compute: T the temperature (℃), IV the intrinsic
// viscosity, SR the shear rate at the spinneret wall.
const TLabelLayout kLabels[] = {
    {Parent::kTroutonGroup, {16, 23}, u"T >= 70  ℃", kCaptionBlack, true},
    {Parent::kTroutonGroup,
     {22, 42},
     u"\u3000\u3000λ = 0.273*(IV)^5.056*exp(6802/(T+273))",
     kCaptionBlack,
     false},
    {Parent::kTroutonGroup, {16, 62}, u"T <  70 ℃", kCaptionBlack, true},
    {Parent::kTroutonGroup,
     {24, 82},
     u"\u3000\u3000λ = 0.273*(IV)^5.056*exp(6802/(T+273))*100.0 ",
     kCaptionBlack,
     false},
    {Parent::kPropertiesGroup, {21, 20}, u"Density ρ = 1.36 - 0.0005*T", kCaptionBlack, false},
    {Parent::kPropertiesGroup,
     {21, 42},
     u"Specific Heat Cp = 0.3 + 0.0006*T",
     kCaptionBlack,
     false},
    {Parent::kPropertiesGroup,
     {20, 69},
     u"Die Swell Ratio S = 0.575*exp{-3650*(1/548-1/(T+273))}",
     kCaptionBlack,
     false},
    {Parent::kPropertiesGroup, {125, 92}, u"*(SR)^0.134*(IV/0.61)^0.85", kCaptionBlack, false},
    {Parent::kPanel, {348, 23}, u"   Note:  These physical", kCaptionRed, false},
    {Parent::kPanel, {349, 41}, u"   property values are built ", kCaptionRed, false},
    {Parent::kPanel, {349, 62}, u"   in the program.  If you  ", kCaptionRed, false},
    {Parent::kPanel, {350, 84}, u"   want to change these,   ", kCaptionRed, false},
    {Parent::kPanel, {348, 106}, u"   modifying the program is   ", kCaptionRed, false},
    {Parent::kPanel, {350, 128}, u"   necessary.    ", kCaptionRed, false},
};

// The narrowest the forms' font is drawn to keep a formula whole in its box.
constexpr int kNarrowestStretch = 85;

// A caption wider than the room its parent leaves right of it (a frame of two pixels) is drawn
// a little narrower rather than cut off.
void FitWithinParent(QLabel& label) {
  const int room = label.parentWidget()->width() - 2 - label.x();
  if (label.width() <= room) return;
  QFont font = label.font();
  font.setStretch(std::max(kNarrowestStretch, 100 * room / label.width()));
  label.setFont(font);
  label.adjustSize();
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent, FixedDialogBorder(Qt::Dialog)) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Reference Information of PET"));
  setFont(FormFont(12));
  setFixedSize(kClientSize);
  move(kScreenPosition);
  auto* panel = new BevelPanel(this);
  panel->setGeometry(rect());
  CreateContents(*panel);
}

void TForm2::CreateContents(QWidget& panel) {
  QGroupBox* trouton = MakeGroupBox(panel, QString(), {16, 16, 329, 116},
                                    QStringLiteral("  Trouton Viscosity of PET"), kCaptionBlue);
  QGroupBox* properties =
      MakeGroupBox(panel, QString(), {16, 144, 329, 126},
                   QStringLiteral("  Other Physical Properties of PET  "), kCaptionBlue);
  for (const TLabelLayout& entry : kLabels) {
    QWidget& parent = entry.parent == Parent::kPanel          ? panel
                      : entry.parent == Parent::kTroutonGroup ? *trouton
                                                              : *properties;
    QLabel* label =
        MakeLabel(parent, entry.top_left, QString::fromUtf16(entry.text), entry.colour, 12);
    QFont font = label->font();
    font.setUnderline(entry.underlined);
    label->setFont(font);
    label->adjustSize();
    FitWithinParent(*label);
  }
  QPushButton* close = MakeBitButton(panel, QStringLiteral("BitBtn1"), ButtonKind::kClose,
                                     QStringLiteral("&Close"), {379, 203, 97, 39}, 13);
  close->setFocusPolicy(Qt::StrongFocus);
  close->setDefault(true);
  close->setFocus();
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vellmor::gui
