#include "gui/t_finish_form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "gui/bevel_panel.h"
#include "gui/form_style.h"
#include "gui/widget_factory.h"

namespace vellmor::gui {
namespace {

constexpr QSize kClientSize{362, 230};

}  // namespace

QString DateCaption(const QDate& date) {
  return QStringLiteral("%1.%2.%3  ").arg(date.year()).arg(date.month()).arg(date.day());
}

TFinishForm::TFinishForm(QWidget* parent) : QDialog(parent, FixedDialogBorder(Qt::Dialog)) {
  setObjectName(QStringLiteral("FinishForm"));
  setWindowTitle(QStringLiteral("FinishForm"));
  setFont(FormFont(12));
  setFixedSize(kClientSize);
  auto* panel = new BevelPanel(this);
  panel->setGeometry(rect());
  panel->SetBevels(BevelPanel::Bevel::kRaised, BevelPanel::Bevel::kLowered, 1);
  CreateContents(*panel);
}

void TFinishForm::CreateContents(QWidget& panel) {
  auto* message = new BevelPanel(&panel);
  message->setGeometry(16, 19, 329, 49);
  message->setFont(FormFont(19));
  message->SetCaption(QStringLiteral("Calculation is successfully finished !"), Qt::AlignHCenter);
  SetCaptionColour(*message, kCaptionBlue);
  MakeLabel(panel, {120, 86}, QStringLiteral("Vellmor"), kCaptionBlue, 16);
  date_label_ = MakeLabel(panel, {146, 145}, DateCaption(QDate::currentDate()), kCaptionBlack, 16);
  QPushButton* ok = MakeBitButton(panel, QStringLiteral("BitBtn1"), ButtonKind::kOk,
                                  QStringLiteral("OK"), {127, 178, 100, 29}, 16);
  ok->setFocusPolicy(Qt::StrongFocus);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFinishForm::ShowModal(const QDate& run_date) {
  date_label_->setText(DateCaption(run_date));
  date_label_->adjustSize();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  move(screen.center() - rect().center());
  exec();
}

}  // namespace vellmor::gui
