#pragma once
// TFieldsSet: the non-visual base of the find and filter dialog components. It owns one
// inner criteria panel for its whole life (made by the concrete dialog's
// CreatePanelFieldsSet) and nearly every property reads and writes that panel, so the
// component is configured exactly as a panel is. Execute shows a modal form
// (a TfmFieldsSet descendant), moves the very same panel into it and takes it out again
// before the form is freed: nothing is copied, the values the user typed stay in the
// panel, and the form only keeps a snapshot so that Cancel can put them back.
//
// The dialog run (RunDialog): the panel's update bracket opens, the form is made (it
// takes the panel and lays itself out around it), runs modally and is freed, pending
// messages are handled, and the panel's bracket closes, which applies the values to the
// data set once (the filter and find panels' UpdateDataSet). Every step is undone on
// every way out, exceptions included: the form is freed, Form is null, the panel has no
// parent and its bracket is closed.
//
// C++ note: the base constructor cannot reach the concrete CreatePanelFieldsSet, so each
// concrete dialog calls CreatePanel() first thing in its own constructor.

#include <cstdint>
#include <functional>
#include <string>

#include <vantor/criteria/criteria_types.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

class TfmFieldsSet;

// Raised when the dialog form is about to close; the handler may change the close state
// (csNone keeps the form open).
using TFormCloseEvent = Event<TObject*, TCloseState&>;

class TFieldsSet : public TComponent {
 public:
  // Frees the inner panel, then the component.
  ~TFieldsSet() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Shows the dialog form modally; true when the user confirmed it.
  virtual bool Execute() = 0;
  // Shows the setup form of the dialog; true when the user confirmed it.
  virtual bool ShowSetupForm() = 0;

  // The inner panel (never null once constructed).
  TPanelFieldsSet* PanelFieldsSet() const { return panel_; }
  // The dialog form while Execute runs, else null. Not owned through this field.
  TfmFieldsSet* Form() const { return form_; }
  // Set by the form when it takes the panel and cleared when it is freed.
  void SetForm(TfmFieldsSet* form) { form_ = form; }

  // ---- properties kept in the panel ----
  TDataSource* GetDataSource() const { return panel_->GetDataSource(); }
  void SetDataSource(TDataSource* value) { panel_->SetDataSource(value); }
  std::int32_t GetStepHeight() const { return panel_->GetStepHeight(); }
  void SetStepHeight(std::int32_t value) { panel_->SetStepHeight(value); }
  TCountOptions* CountOptions() const { return panel_->CountOptions(); }
  bool GetAutoSaveValues() const { return panel_->GetAutoSaveValues(); }
  void SetAutoSaveValues(bool value) { panel_->SetAutoSaveValues(value); }
  TFieldsList* Fields() const { return panel_->Fields(); }
  bool IsFieldsStored() const { return panel_->IsFieldsStored(); }
  bool GetAutoEditWidth() const { return panel_->GetAutoEditWidth(); }
  void SetAutoEditWidth(bool value) { panel_->SetAutoEditWidth(value); }
  TCompareOptions* CompareOptions() const { return panel_->CompareOptions(); }
  TStyleOptions* StyleOptions() const { return panel_->StyleOptions(); }
  bool GetChangeCursor() const { return panel_->GetChangeCursor(); }
  void SetChangeCursor(bool value) { panel_->SetChangeCursor(value); }
  TPosState GetPosState() const { return panel_->GetPosState(); }
  void SetPosState(TPosState value) { panel_->SetPosState(value); }
  TFieldCaptions* Captions() const { return panel_->Captions(); }
  int GetBorderWidth() const { return panel_->BorderWidth(); }
  void SetBorderWidth(int value) { panel_->SetBorderWidth(value); }
  // Public, not published.
  bool GetAutoSize() const { return panel_->GetAutoSize(); }
  void SetAutoSize(bool value) { panel_->SetAutoSize(value); }
  TUpdateState GetUpdateState() const { return panel_->GetUpdateState(); }
  void SetUpdateState(TUpdateState value) { panel_->SetUpdateState(value); }

  // ---- the component's own properties ----
  // Screen space the dialog form leaves free; a change re-lays out a showing form.
  int GetHorzMargin() const { return horz_margin_; }
  void SetHorzMargin(int value);
  int GetVertMargin() const { return vert_margin_; }
  void SetVertMargin(int value);
  // Caption of the dialog form; empty shows the form's own caption.
  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& value);
  THelpContext GetHelpContext() const { return help_context_; }
  void SetHelpContext(THelpContext value) { help_context_ = value; }
  // The command buttons the form shows; a change shows or hides them at once.
  TStateOptions GetOptions() const { return options_; }
  void SetOptions(TStateOptions value);

  // ---- the panel's edit events ----
  TEditEvent& OnEditChange() { return panel_->OnEditChange; }
  TEditEvent& OnEditClick() { return panel_->OnEditClick; }
  TEditEvent& OnEditDblClick() { return panel_->OnEditDblClick; }
  TEditEvent& OnEditEnter() { return panel_->OnEditEnter; }
  TEditEvent& OnEditExit() { return panel_->OnEditExit; }
  TEditKeyEvent& OnEditKeyDown() { return panel_->OnEditKeyDown; }
  TEditKeyPressEvent& OnEditKeyPress() { return panel_->OnEditKeyPress; }
  TEditKeyEvent& OnEditKeyUp() { return panel_->OnEditKeyUp; }
  TEditMouseEvent& OnEditMouseDown() { return panel_->OnEditMouseDown; }
  TEditMouseMoveEvent& OnEditMouseMove() { return panel_->OnEditMouseMove; }
  TEditMouseEvent& OnEditMouseUp() { return panel_->OnEditMouseUp; }
  TEditEvent& OnEditButtonClick() { return panel_->OnEditButtonClick; }

  // Raised each time the dialog form is activated (Sender: the form).
  TNotifyEvent OnFormActivate;
  // Raised when the dialog form is asked to close (Sender: the form).
  TFormCloseEvent OnFormClose;

  // ---- forwarders to the panel ----
  void BeginUpdate() { panel_->BeginUpdate(); }
  void EndUpdate() { panel_->EndUpdate(); }
  void Changed() { panel_->Changed(); }
  void BeginPaint() { panel_->BeginPaint(); }
  void EndPaint() { panel_->EndPaint(); }
  TFieldRecord* FieldByName(const std::string& name) const { return panel_->FieldByName(name); }
  TFieldRecord* FindField(const std::string& name) const { return panel_->FindField(name); }
  void SaveToBuffer() { panel_->SaveToBuffer(); }
  void ReadFromBuffer() { panel_->ReadFromBuffer(); }
  void ClearBuffer() { panel_->ClearBuffer(); }
  void ClearValues() { panel_->ClearValues(); }
  TCountType CountState(const TFieldRecord* r) const { return panel_->CountState(r); }
  TCompareType CompareState(const TFieldRecord* r) const { return panel_->CompareState(r); }
  bool NotEmptyRecord(const TFieldRecord* r) const { return panel_->NotEmptyRecord(r); }
  bool ValidateFieldRecord(const TFieldRecord* r) const { return panel_->ValidateFieldRecord(r); }
  bool CaseSensitiveDependent(TFieldType type) const { return panel_->CaseSensitiveDependent(type); }
  // A relayout of the panel (and of a showing form).
  void Repaint() { panel_->WndChanged(); }

  // Called by the form each time it is activated: raises OnFormActivate.
  void FormActivate(TObject* sender) { OnFormActivate(sender); }

  void Loaded() override;
  // "Values" and "CommentTexts", as a panel keeps them, while the list is not the default one.
  void DefineProperties(TFiler& filer) override;

 protected:
  explicit TFieldsSet(TComponent* owner);

  // Makes the inner panel, with this dialog as its owner.
  virtual TPanelFieldsSet* CreatePanelFieldsSet() = 0;
  // Makes the panel and gives it and this component their dialog defaults.
  void CreatePanel();
  // The dialog run with the form that `make_form` announces (NewForm<F>(this)). `closed`
  // runs after the form is freed and before the panel's bracket closes, with the result.
  bool RunDialog(const std::function<TfmFieldsSet*()>& make_form,
                 const std::function<void(bool)>& closed = {});

 private:
  TPanelFieldsSet* panel_ = nullptr;  // owned as a component of this one
  int horz_margin_ = 0;
  int vert_margin_ = 50;
  std::string title_;
  THelpContext help_context_ = 0;
  TStateOptions options_{soClear, soSetup, soNext};
  TfmFieldsSet* form_ = nullptr;
};

// The setup forms live in the design-time layer, which registers them here for the
// dialog classes they set up. ShowSetupForm finds the one of its class (or of the
// nearest ancestor that has one).
using TSetupFormProc = std::function<bool(TFieldsSet& dialog)>;
void RegisterSetupForm(const TypeInfo& dialog_class, TSetupFormProc proc);
// Runs the setup form registered for the dialog's class; EInvalidOperation when none is.
bool RunSetupForm(TFieldsSet& dialog);

}  // namespace vantor
