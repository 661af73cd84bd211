#pragma once
// TDBFindDialog: the dialog component that finds by example. Execute shows the find form
// (TfmFind); OK positions the data set on the first matching record, Next on the next one
// after the current record. The search runs once, after the form has closed (or, when
// application code set UpdateState to usAuto, when the panel's update bracket closes).
// Not finding a record is no error: Execute still returns true, and the panel shows "The
// record is not found" / "The following record is not found" when ShowBox is on.

#include <vantor/dialogs/dialog_panel.h>
#include <vantor/dialogs/fields_set.h>

namespace vantor {

class TDBFindDialog : public TFieldsSet {
 public:
  explicit TDBFindDialog(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  bool Execute() override;
  // The setup form of the find dialog (registered by the design-time layer).
  bool ShowSetupForm() override;

  TDBFindComponent* FindPanel() const { return static_cast<TDBFindComponent*>(PanelFieldsSet()); }

  TFindOptions GetFindOptions() const { return FindPanel()->GetFindOptions(); }
  void SetFindOptions(TFindOptions value) { FindPanel()->SetFindOptions(value); }
  // The panel's index description, filled in place by the form stream.
  TDataSetIndex* DataSetIndex() const { return FindPanel()->DataSetIndex(); }
  bool IsDataSetIndexStored() const { return FindPanel()->IsDataSetIndexStored(); }
  bool GetShowBox() const { return FindPanel()->GetShowBox(); }
  void SetShowBox(bool value) { FindPanel()->SetShowBox(value); }
  // True: the next search finds the first match; false: the next one after the current
  // record. OK sets it, Next clears it, and it keeps its last value.
  bool GetRestart() const { return FindPanel()->GetRestart(); }
  void SetRestart(bool value) { FindPanel()->SetRestart(value); }
  // Searches now; true when a matching record was found and made current.
  bool Locate() { return FindPanel()->Locate(); }

 protected:
  TPanelFieldsSet* CreatePanelFieldsSet() override;
};

}  // namespace vantor
