#pragma once
// TfmSetupFindDialog: the setup form of TDBFindDialog. It adds the memo row to both
// groups and the search mode ("Way of searching:"); its scratch copy shares the
// component's data source, so the records keep their bound fields and the index rules
// (a key field compared other than exactly leaves the index modes) apply on the copy.

#include <vantor/designtime/setup_record_form.h>

namespace vantor {

class TDBFindDialog;

class TfmSetupFindDialog : public TfmSetupRecord {
 public:
  explicit TfmSetupFindDialog(TFieldsSet* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  const TypeInfo& OwnerClass() const override;

  void UpdateFieldsSet() override;
  void SetDataSource() override;
  void ReadData() override;
  void SaveData() override;
  void ReadFields() override;

  void cbFindOptionsChange(TObject* sender);

  TComboBox* cbcMemo = nullptr;
  TComboBox* cbvMemo = nullptr;
  TComboBox* cbFindOptions = nullptr;

 private:
  TDBFindDialog& FindDialog() const;
  TDBFindDialog& FindScratch() const;
};

}  // namespace vantor
