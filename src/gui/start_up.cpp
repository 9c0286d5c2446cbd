#include "gui/start_up.h"

#include "gui/t_finish_form.h"
#include "gui/t_form2.h"

namespace vellmor::gui {

std::unique_ptr<TForm1> CreateForms() {
  auto form1 = std::make_unique<TForm1>();
  auto* form2 = new TForm2(form1.get());
  auto* finish_form = new TFinishForm(form1.get());
  form1->AttachDialogs(*form2, *finish_form);
  return form1;
}

}  // namespace vellmor::gui
