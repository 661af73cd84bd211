#pragma once
// TDBFilterDialog: the dialog component that filters by example. Execute shows the filter
// form (TfmFilter); when the form closes, the panel's update bracket closes and the filter
// is applied once with the values and the Filtered state the panel then holds: the values
// the user confirmed, or after Cancel the restored ones.

#include <vantor/dialogs/dialog_panel.h>
#include <vantor/dialogs/fields_set.h>

namespace vantor {

class TDBFilterDialog : public TFieldsSet {
 public:
  explicit TDBFilterDialog(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  bool Execute() override;
  // The setup form of the filter dialog (registered by the design-time layer).
  bool ShowSetupForm() override;

  TDBFilterComponent* FilterPanel() const { return static_cast<TDBFilterComponent*>(PanelFieldsSet()); }

  bool GetFiltered() const { return FilterPanel()->GetFiltered(); }
  void SetFiltered(bool value) { FilterPanel()->SetFiltered(value); }
  // The application's own record filter, consulted before the panel's test.
  TFilterRecordEvent& OnFilterRecord() { return FilterPanel()->OnFilterRecord; }

 protected:
  TPanelFieldsSet* CreatePanelFieldsSet() override;
};

}  // namespace vantor
