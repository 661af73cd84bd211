#pragma once
// The fields editor: a non-modal window, inside the form designer, in which the field
// list of a panel or of a dialog component is built. Fields are added one by one or all
// at once from the bound data set, deleted, reordered by buttons or by dragging, their
// stored values edited (the value list editor) and applied. Selecting a line puts its
// field record into the designer's inspector.
//
// A list, its designer link (TFLDesigner) and its window exist one to one: the window
// owns the link, the link attaches itself to the list, and the window closes itself when
// the panel that owns the list goes away.
//
// Also here: the property editors of the Fields property, the component editors that add
// "Fields Editor..." to the context menu, and the editor that offers a record's FieldName
// from the data set's field names.

#include <string>

#include <vantor/criteria/fields_list.h>
#include <vantor/platform/design/component_editor.h>
#include <vantor/platform/design/property_editor.h>
#include <vantor/platform/ui/bevel.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/list_box.h>

namespace vantor {

class TFieldsEditDlg;
class TFormDesigner;
class TPanelFieldsSet;
class TStrings;

// The link between a field list and its editor window: it hears of FieldName changes.
class TFLDesigner : public TFieldsListDesigner {
 public:
  explicit TFLDesigner(TFieldsList* list) : TFieldsListDesigner(list) {}
  // Frees the window it serves, if that still exists.
  ~TFLDesigner() override;
  // A record's FieldName changed: the window's lines follow.
  void DataEvent() override;

  TFieldsEditDlg* EditDlg = nullptr;
};

// Makes the designer link of a list (the package always uses TFLDesigner).
using TFLDesignerClass = TFLDesigner* (*)(TFieldsList* list);
TFLDesigner* NewFLDesigner(TFieldsList* list);

// The fields editor window: the list of a panel's or dialog's field records, with Add,
// Add All, Delete, Delete All, moving, Edit Data and Update Data.
class TFieldsEditDlg : public TForm {
 public:
  // Reads the window's description; owned by `owner` (the application object).
  explicit TFieldsEditDlg(TComponent* owner);
  // Frees the designer link, which detaches from the list.
  ~TFieldsEditDlg() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Refreshes the lines from the list (none for a default list); Edit Data and Update
  // Data are enabled while there are lines.
  void UpdateFields();
  // Same as UpdateFields.
  void Changed() { UpdateFields(); }
  void AddField(int index);
  // " 3 - name": a space, the index, " - " and the record's display name.
  std::string GetItemsName(int index) const;
  // Selects line `index` and its record in the designer; the list itself when there is
  // no such line or the list is the default list.
  void SetIndex(int index);
  // "Software\Corvale\Collection Editor\" and the class name of the list.
  std::string GetRegKey() const;

  // ---- handlers bound by the description ----
  void FormShow(TObject* sender);
  void FormActivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void lbFieldsClick(TObject* sender);
  void lbFieldsDragOver(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accept);
  void lbFieldsDragDrop(TObject* sender, TObject* source, int x, int y);
  void buAddClick(TObject* sender);
  void buDeleteClick(TObject* sender);
  void buMoveUpClick(TObject* sender);
  void buMoveDownClick(TObject* sender);
  void buAddAllClick(TObject* sender);
  void buDeleteAllClick(TObject* sender);
  void buSetDataClick(TObject* sender);
  void buUpdateClick(TObject* sender);

  void Notification(TComponent* c, TOperation op) override;

  // ---- controls of the description ----
  TListBox* lbFields = nullptr;
  TPanel* paRight = nullptr;
  TButton* buAdd = nullptr;
  TButton* buDelete = nullptr;
  TButton* buMoveUp = nullptr;
  TButton* buMoveDown = nullptr;
  TButton* buAddAll = nullptr;
  TButton* buDeleteAll = nullptr;
  TBevel* Bevel1 = nullptr;
  TPanel* paData = nullptr;
  TButton* buSetData = nullptr;
  TButton* buUpdate = nullptr;

  TFLDesigner* FieldsListDesigner = nullptr;
  TFormDesigner* FormDesigner = nullptr;
  TFieldsList* FieldsList = nullptr;

  // The panel whose list this is (null when the list has none).
  TPanelFieldsSet* Panel() const;
  // Watches the panel of the list, so that the window goes before the list does.
  void WatchPanel();

 private:
  // Moves the selected record to `index` and shows it there.
  void MoveSelected(int index);

  // The panel whose removal closes this window.
  TComponent* watched_ = nullptr;
};

// The window of `list`: the one it already has, else a new one (not shown) owned by the
// application object with a designer link made by `designer_class`. EInvalidCast when
// the list's designer is not a TFLDesigner.
TFieldsEditDlg* CreateFieldsEditDlg(TFormDesigner* form_designer, TFieldsList* list,
                                    TFLDesignerClass designer_class);
// CreateFieldsEditDlg, then shows the window (a second call brings it forward).
void ShowFieldsEditDlg(TFormDesigner* form_designer, TFieldsList* list, TFLDesignerClass designer_class);

// The Fields property: "(TFieldsList)" with a button that opens the fields editor.
class TCustomFieldsProperty : public TClassProperty {
 public:
  using TClassProperty::TClassProperty;
  TPropertyAttributes GetAttributes() const override { return {paDialog, paReadOnly}; }
  std::string GetValue() const override;
};
// For dialog components (TFieldsSet).
class TFieldsProperty : public TCustomFieldsProperty {
 public:
  using TCustomFieldsProperty::TCustomFieldsProperty;
  void Edit() override;
};
// For panels (TPanelFieldsSet).
class TPanelFieldsProperty : public TCustomFieldsProperty {
 public:
  using TCustomFieldsProperty::TCustomFieldsProperty;
  void Edit() override;
};

// "Fields Editor..." in the component's context menu.
class TCustomFieldsEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
  int GetVerbCount() const override { return 1; }
  std::string GetVerb(int index) const override;
};

// The fields editor verb of a find or filter dialog component.
class TFieldsEditor : public TCustomFieldsEditor {
 public:
  using TCustomFieldsEditor::TCustomFieldsEditor;
  void ExecuteVerb(int index) override;
};

// The fields editor verb of a find or filter panel.
class TPanelFieldsEditor : public TCustomFieldsEditor {
 public:
  using TCustomFieldsEditor::TCustomFieldsEditor;
  void ExecuteVerb(int index) override;
};

// A field record's FieldName, picked from the field names of the bound data set.
class TRecordFieldNameProperty : public TStringProperty {
 public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() const override { return {paValueList, paSortList, paMultiSelect}; }
  void GetValues(const TGetStrProc& proc) const override;
  // The data set's field names, or nothing when the first record reaches no data set.
  virtual void GetValueList(TStrings& list) const;
};

}  // namespace vantor
