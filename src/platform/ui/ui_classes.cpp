#include "platform/ui/ui_classes.h"

#include "platform/core/type_info.h"
#include "platform/ui/custom_panel.h"
#include "platform/ui/label.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/menus.h"
#include "platform/ui/scrolling_win_control.h"
#include "platform/ui/speed_button.h"

namespace vantor {

void RegisterUiClasses() {
  RegisterClass(TPanel::StaticType());
  RegisterClass(TScrollBox::StaticType());
  RegisterClass(TLabel::StaticType());
  RegisterClass(TEdit::StaticType());
  RegisterClass(TMaskEdit::StaticType());
  RegisterClass(TSpeedButton::StaticType());
  RegisterMenuClasses();
}

}  // namespace vantor
