#pragma once
// TfmSetupRecord: the setup form of a find or filter dialog component. It edits, in one
// modal form, the per-type Compare and Count defaults and the case sensitivity of the
// component's option sets, the explicit Compare, Count and CaseInsensitive of each field,
// the component's AutoEditWidth, AutoSaveValues and margins (and, for the find dialog, its
// search mode). Everything is edited on a scratch copy of the component's class; OK writes
// the copy back (SaveData), Cancel leaves the component untouched.
//
// The component being set up is the form's owner. The scratch copy is made before the
// form reads its description, because OnCreate (FormCreate) fills it; it is freed with the
// form. TfmSetupFilterDialog and TfmSetupFindDialog are the concrete forms.
//
// The drop-down "cbFields" chooses the page: "Default options" shows the per-type
// defaults, a field shows its own options; each of a field's options is marked "Default
// value" while the field holds no explicit value for it. Changes go through the option
// sets' and records' own setters, so their rules (a range and a containment match exclude
// each other; a non-exact compare of a key field leaves the index search modes) show on
// the page at once.

#include <memory>
#include <vector>

#include <vantor/dialogs/fields_set.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/group_box.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/page_control.h>

namespace vantor {

class TfmSetupRecord : public TForm {
 public:
  // Frees the scratch copy, then the form.
  ~TfmSetupRecord() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The component being set up (the owner).
  TFieldsSet* Dialog() const { return dialog_; }
  // The scratch copy the form edits.
  TFieldsSet* Scratch() const { return scratch_.get(); }
  // Non-zero while UpdateField fills the field page; the field handlers wait meanwhile.
  int FieldLock() const { return field_lock_; }

  // Shows the form modally; true when it closed with OK.
  bool Execute();

  // The class of the scratch copy.
  virtual const TypeInfo& OwnerClass() const = 0;
  // Refreshes the page of the per-type defaults.
  virtual void UpdateFieldsSet();
  // Refreshes the page of the selected field.
  virtual void UpdateField();
  // Gives the scratch copy a data source (nothing here).
  virtual void SetDataSource();
  // Component settings into the controls, option sets into the scratch copy.
  virtual void ReadData();
  // The scratch copy (and the controls) into the component.
  virtual void SaveData();
  // The component's records into the scratch copy.
  virtual void ReadFields();

  // ---- handlers bound by the description ----
  void FormCreate(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& can_close);
  void cbFieldsClick(TObject* sender);
  void cbCompareChange(TObject* sender);
  void cbCountChange(TObject* sender);
  void cbFieldCaseSensitiveClick(TObject* sender);
  void cbcBooleanChange(TObject* sender);
  void cbvBooleanChange(TObject* sender);
  void cbCaseSensitiveClick(TObject* sender);

  // The page of the selected item, refreshed.
  void UpdateForm();
  // Selects the scratch's default of the box's category (its Tag) and colours the box.
  void UpdateCompareBox(TComboBox* box);
  void UpdateCountBox(TComboBox* box);
  // One item per visible record the scratch accepts, after "Default options".
  void AddcbFields();
  void BeginFieldUpdate() { ++field_lock_; }
  void EndFieldUpdate() { --field_lock_; }
  // The record attached to the selected item of cbFields, or null.
  TFieldRecord* SelectedRecord() const;

  // ---- controls of the description ----
  TComboBox* cbFields = nullptr;
  TPageControl* pcOptions = nullptr;
  TTabSheet* tsDefault = nullptr;
  TTabSheet* tsField = nullptr;
  TGroupBox* gbCompareOptions = nullptr;
  TGroupBox* gbCountOptions = nullptr;
  TComboBox* cbcBoolean = nullptr;
  TComboBox* cbcDateTime = nullptr;
  TComboBox* cbcFloat = nullptr;
  TComboBox* cbcInteger = nullptr;
  TComboBox* cbcString = nullptr;
  TComboBox* cbvBoolean = nullptr;
  TComboBox* cbvDateTime = nullptr;
  TComboBox* cbvFloat = nullptr;
  TComboBox* cbvInteger = nullptr;
  TComboBox* cbvString = nullptr;
  TCheckBox* cbCaseSensitive = nullptr;
  TGroupBox* gbFieldName = nullptr;
  TComboBox* cbCompare = nullptr;
  TLabel* laCompare = nullptr;
  TComboBox* cbCount = nullptr;
  TLabel* laCount = nullptr;
  TCheckBox* cbFieldCaseSensitive = nullptr;
  TLabel* laCaseSensitive = nullptr;
  TPanel* paMiddleBottom = nullptr;
  TCheckBox* cbAutoEditWidth = nullptr;
  TCheckBox* cbAutoSaveValues = nullptr;
  TEdit* mdHorzMargin = nullptr;
  TEdit* mdVertMargin = nullptr;
  TBitBtn* bbOk = nullptr;
  TBitBtn* bbCancel = nullptr;

 protected:
  // Makes the scratch copy (`scratch_class`, owned by the application object), then reads
  // the description. The concrete form announces itself (NewForm), which runs FormCreate.
  TfmSetupRecord(TFieldsSet* owner, const TypeInfo& scratch_class);

  // The compare and count rows the form has (a descendant adds its own).
  std::vector<TComboBox*> compare_boxes_;
  std::vector<TComboBox*> count_boxes_;

 private:
  TFieldsSet* dialog_;
  std::unique_ptr<TFieldsSet> scratch_;
  int field_lock_ = 0;
};

// Runs the setup form of class F for `dialog`; true when the user confirmed it. The form
// is freed on every way out.
template <typename F>
bool ExecuteSetupForm(TFieldsSet& dialog) {
  std::unique_ptr<F> form(NewForm<F>(&dialog));
  return form->Execute();
}

}  // namespace vantor
