#include "designtime/registration.h"

#include "criteria/field_record.h"
#include "designtime/fields_editor.h"
#include "dialogs/filter_dialog.h"
#include "dialogs/find_dialog.h"
#include "engines/filter_panel.h"
#include "engines/find_panel.h"
#include "platform/design/design_registry.h"

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
