#include <vantor/dialogs/find_dialog.h>

#include <vantor/dialogs/find_form.h>

namespace vantor {

const TypeInfo& TDBFindDialog::StaticType() {
  using C = TDBFindDialog;
  static const TypeInfo info = TypeBuilder<C>("TDBFindDialog", &TFieldsSet::StaticType())
                                   .Component()
                                   .Property("FindOptions", &C::GetFindOptions, &C::SetFindOptions, foFast)
                                   .Property("DataSetIndex", &C::DataSetIndex)
                                   .Stored(&C::IsDataSetIndexStored)
                                   .Property("ShowBox", &C::GetShowBox, &C::SetShowBox, true)
                                   .Build();
  return info;
}

TDBFindDialog::TDBFindDialog(TComponent* owner) : TFieldsSet(owner) {
  CreatePanel();
  SetShowBox(true);
}

TPanelFieldsSet* TDBFindDialog::CreatePanelFieldsSet() { return new TDBFindComponent(this); }

bool TDBFindDialog::Execute() {
  const bool result = RunDialog([this] { return NewForm<TfmFind>(this); });
  // With usAuto the panel searched when its bracket closed; otherwise the search runs
  // here, once, after the form has gone.
  if (result && GetUpdateState() != usAuto) Locate();
  return result;
}

bool TDBFindDialog::ShowSetupForm() { return RunSetupForm(*this); }

}  // namespace vantor
