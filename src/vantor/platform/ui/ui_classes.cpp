#include <vantor/platform/ui/ui_classes.h>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/menus.h>
#include <vantor/platform/ui/scrolling_win_control.h>
#include <vantor/platform/ui/speed_button.h>

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
