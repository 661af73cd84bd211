#include <vantor/dialogs/filter_dialog.h>

#include <vantor/dialogs/filter_form.h>

namespace vantor {

const TypeInfo& TDBFilterDialog::StaticType() {
  using C = TDBFilterDialog;
  static const TypeInfo info = TypeBuilder<C>("TDBFilterDialog", &TFieldsSet::StaticType())
                                   .Component()
                                   .Property("Filtered", &C::GetFiltered, &C::SetFiltered, false)
                                   .EventVia("OnFilterRecord", &C::OnFilterRecord)
                                   .Build();
  return info;
}

TDBFilterDialog::TDBFilterDialog(TComponent* owner) : TFieldsSet(owner) { CreatePanel(); }

TPanelFieldsSet* TDBFilterDialog::CreatePanelFieldsSet() { return new TDBFilterComponent(this); }

bool TDBFilterDialog::Execute() {
  return RunDialog([this] { return NewForm<TfmFilter>(this); },
                   [this](bool /*confirmed*/) {
                     // Whatever the update state, the filter applied when the panel's bracket
                     // closes uses the values the panel holds now (confirmed or restored):
                     // values still waiting for an exit are taken along.
                     TFieldsList& list = *Fields();
                     list.ExcludeState({fsValueChanged});
                     list.IncludeState({fsValueUpdate});
                     list.Changed();
                   });
}

bool TDBFilterDialog::ShowSetupForm() { return RunSetupForm(*this); }

}  // namespace vantor
