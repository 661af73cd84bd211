#include <vantor/designtime/registration.h>

#include <vantor/criteria/field_record.h>
#include <vantor/designtime/fields_editor.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/design/design_registry.h>

namespace vantor {

void Register() {
  RegisterPaletteImages();
  RegisterComponents("Vantor", {&TDBFilterPanel::StaticType()});
  RegisterComponents("Vantor", {&TDBFindPanel::StaticType()});
  RegisterComponents("Vantor", {&TDBFilterDialog::StaticType()});
  RegisterComponents("Vantor", {&TDBFindDialog::StaticType()});
  RegisterPropertyEditor(TPropertyType::Class(TFieldsList::StaticType()), &TFieldsSet::StaticType(), "Fields",
                         PropertyEditorClass<TFieldsProperty>("TFieldsProperty"));
  RegisterPropertyEditor(TPropertyType::Class(TFieldsList::StaticType()), &TPanelFieldsSet::StaticType(),
                         "Fields", PropertyEditorClass<TPanelFieldsProperty>("TPanelFieldsProperty"));
  RegisterPropertyEditor(TPropertyType::String(), &TFieldRecord::StaticType(), "FieldName",
                         PropertyEditorClass<TRecordFieldNameProperty>("TRecordFieldNameProperty"));
  RegisterComponentEditor(TFieldsSet::StaticType(), ComponentEditorClass<TFieldsEditor>("TFieldsEditor"));
  RegisterComponentEditor(TPanelFieldsSet::StaticType(),
                          ComponentEditorClass<TPanelFieldsEditor>("TPanelFieldsEditor"));
}

}  // namespace vantor
