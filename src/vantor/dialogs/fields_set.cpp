#include <vantor/dialogs/fields_set.h>

#include <cassert>
#include <map>
#include <memory>

#include <vantor/dialogs/fields_set_form.h>
#include <vantor/platform/core/filer.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/ui/application.h>

namespace vantor {

const TypeInfo& TFieldsSet::StaticType() {
  using C = TFieldsSet;
  static const TypeInfo info =
      TypeBuilder<C>("TFieldsSet", &TComponent::StaticType())
          .Property("DataSource", &C::GetDataSource, &C::SetDataSource)
          .Property("StepHeight", &C::GetStepHeight, &C::SetStepHeight, 2)
          .Property("CountOptions", &C::CountOptions)
          .Property("AutoSaveValues", &C::GetAutoSaveValues, &C::SetAutoSaveValues, true)
          .Property("Fields", &C::Fields)
          .Stored(&C::IsFieldsStored)
          .Property("AutoEditWidth", &C::GetAutoEditWidth, &C::SetAutoEditWidth, true)
          .Property("CompareOptions", &C::CompareOptions)
          .Property("StyleOptions", &C::StyleOptions)
          .Property("ChangeCursor", &C::GetChangeCursor, &C::SetChangeCursor, true)
          .Property("PosState", &C::GetPosState, &C::SetPosState, psOneLineFmt)
          .Property("Captions", &C::Captions)
          .Property("BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth, 2)
          .Property("HorzMargin", &C::GetHorzMargin, &C::SetHorzMargin, 0)
          .Property("VertMargin", &C::GetVertMargin, &C::SetVertMargin, 50)
          .Property("Title", &C::GetTitle, &C::SetTitle)
          .Property("HelpContext", &C::GetHelpContext, &C::SetHelpContext, 0)
          .Property("Options", &C::GetOptions, &C::SetOptions, TStateOptions{soClear, soSetup, soNext})
          .EventVia("OnEditChange", &C::OnEditChange)
          .EventVia("OnEditClick", &C::OnEditClick)
          .EventVia("OnEditDblClick", &C::OnEditDblClick)
          .EventVia("OnEditEnter", &C::OnEditEnter)
          .EventVia("OnEditExit", &C::OnEditExit)
          .EventVia("OnEditKeyDown", &C::OnEditKeyDown)
          .EventVia("OnEditKeyPress", &C::OnEditKeyPress)
          .EventVia("OnEditKeyUp", &C::OnEditKeyUp)
          .EventVia("OnEditMouseDown", &C::OnEditMouseDown)
          .EventVia("OnEditMouseMove", &C::OnEditMouseMove)
          .EventVia("OnEditMouseUp", &C::OnEditMouseUp)
          .EventVia("OnEditButtonClick", &C::OnEditButtonClick)
          .Event("OnFormActivate", &C::OnFormActivate)
          .Event("OnFormClose", &C::OnFormClose)
          .Build();
  return info;
}

TFieldsSet::TFieldsSet(TComponent* owner) : TComponent(owner) {}

TFieldsSet::~TFieldsSet() {
  // A form still showing (the dialog freed from one of its own handlers) lets the panel go
  // first, so the panel is freed by this component and never by the form.
  if (form_ != nullptr) delete form_;
  TPanelFieldsSet* panel = panel_;
  panel_ = nullptr;
  delete panel;
}

void TFieldsSet::CreatePanel() {
  assert(panel_ == nullptr);  // once, from the concrete dialog's constructor
  panel_ = CreatePanelFieldsSet();
  panel_->SetParentFont(false);
  panel_->SetParentColor(false);
  panel_->SetParentCtl3D(false);
  panel_->SetChangeCursor(true);
  horz_margin_ = 0;
  vert_margin_ = 50;
  help_context_ = 0;
  options_ = TStateOptions{soClear, soSetup, soNext};
}

void TFieldsSet::SetHorzMargin(int value) {
  if (horz_margin_ == value) return;
  horz_margin_ = value;
  panel_->WndChanged();
}

void TFieldsSet::SetVertMargin(int value) {
  if (vert_margin_ == value) return;
  vert_margin_ = value;
  panel_->WndChanged();
}

void TFieldsSet::SetTitle(const std::string& value) {
  if (title_ == value) return;
  title_ = value;
  panel_->WndChanged();
}

void TFieldsSet::SetOptions(TStateOptions value) {
  if (options_ == value) return;
  options_ = value;
  if (form_ != nullptr) form_->SetOptions();
}

void TFieldsSet::Loaded() {
  TComponent::Loaded();
  panel_->SetLoadProperties();
}

void TFieldsSet::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  const bool has_data = Fields() != nullptr && !Fields()->DefaultFields();
  TPanelFieldsSet* panel = panel_;
  filer.DefineProperty(
      "Values", [panel](TReader& reader) { panel->ReadValues(reader); },
      [panel](TWriter& writer) { panel->WriteValues(writer); }, has_data);
  filer.DefineProperty(
      "CommentTexts", [panel](TReader& reader) { panel->ReadCommentTexts(reader); },
      [panel](TWriter& writer) { panel->WriteCommentTexts(writer); }, has_data);
}

bool TFieldsSet::RunDialog(const std::function<TfmFieldsSet*()>& make_form,
                           const std::function<void(bool)>& closed) {
  // The panel can live in one form at a time; a second run from inside the first (a
  // handler calling Execute again) would take it away from the form that shows it.
  if (form_ != nullptr) throw EInvalidOperation("Cannot show " + Name() + " again while it shows");
  bool result = false;
  {
    // Closed last: its EndUpdate applies the values to the data set, after the form is gone.
    UpdateGuard<TPanelFieldsSet> update(*panel_);
    {
      std::unique_ptr<TfmFieldsSet> form(make_form());
      assert(form_ == form.get());  // the form registered itself while taking the panel
      result = form->Execute();
    }
    // The form's destructor gave the panel back and cleared Form.
    assert(form_ == nullptr && panel_->Parent() == nullptr);
    if (result && !ComponentState().Contains(csDesigning)) Application->ProcessMessages();
    if (closed) closed(result);
  }
  return result;
}

// ---- setup forms ----

namespace {

std::map<const TypeInfo*, TSetupFormProc>& SetupForms() {
  static std::map<const TypeInfo*, TSetupFormProc> forms;
  return forms;
}

}  // namespace

void RegisterSetupForm(const TypeInfo& dialog_class, TSetupFormProc proc) {
  SetupForms()[&dialog_class] = std::move(proc);
}

bool RunSetupForm(TFieldsSet& dialog) {
  for (const TypeInfo* type = &dialog.ClassType(); type != nullptr; type = type->Parent()) {
    const auto found = SetupForms().find(type);
    if (found != SetupForms().end()) return found->second(dialog);
  }
  throw EInvalidOperation("No setup form is registered for " + dialog.ClassName());
}

}  // namespace vantor
