#include <vantor/dialogs/fields_set_form.h>

#include <cassert>
#include <cstdint>

#include <vantor/dialogs/form_resource.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/screen.h>

namespace vantor {

namespace {

// The bars' buttons never grow beyond this size, whatever the dialog's font.
constexpr int kMaxBarFontSize = 14;
// Fields are laid out at least this wide in a dialog form.
constexpr int kMinFieldsWidth = 320;

}  // namespace

const TypeInfo& TfmFieldsSet::StaticType() {
  static const TypeInfo info = TypeBuilder<TfmFieldsSet>("TfmFieldsSet", &TForm::StaticType()).Build();
  return info;
}

TfmFieldsSet::TfmFieldsSet(TFieldsSet* owner) : TForm(owner, TCreateNew{}), fields_set_(owner) {
  assert(owner != nullptr && owner->PanelFieldsSet() != nullptr);
  // The handlers call the virtual members, so a descendant's override answers the
  // description's "OnActivate = FormActivate" as the ancestor's would.
  RegisterMethod("FormActivate", TNotifyEvent::Handler([this](TObject* s) { FormActivate(s); }));
  RegisterMethod("FormCloseQuery", TCloseQueryEvent::Handler([this](TObject* s, bool& c) { FormCloseQuery(s, c); }));
  RegisterMethod("bbClearClick", TNotifyEvent::Handler([this](TObject* s) { bbClearClick(s); }));
  RegisterMethod("bbSetupClick", TNotifyEvent::Handler([this](TObject* s) { bbSetupClick(s); }));
  RegisterMethod("bbHelpClick", TNotifyEvent::Handler([this](TObject* s) { bbHelpClick(s); }));
  ReadFormResource(*this, "TfmFieldsSet");
  paTop = DescribedControl<TPanel>(*this, "paTop");
  paBottom = DescribedControl<TPanel>(*this, "paBottom");
  paOk = DescribedControl<TPanel>(*this, "paOk");
  bbOk = DescribedControl<TBitBtn>(*this, "bbOk");
  paHelp = DescribedControl<TPanel>(*this, "paHelp");
  bbHelp = DescribedControl<TBitBtn>(*this, "bbHelp");
  paClear = DescribedControl<TPanel>(*this, "paClear");
  bbClear = DescribedControl<TBitBtn>(*this, "bbClear");
  paSetup = DescribedControl<TPanel>(*this, "paSetup");
  bbSetup = DescribedControl<TBitBtn>(*this, "bbSetup");
  paCancel = DescribedControl<TPanel>(*this, "paCancel");
  bbCancel = DescribedControl<TBitBtn>(*this, "bbCancel");
  paNext = DescribedControl<TPanel>(*this, "paNext");
  bbNext = DescribedControl<TBitBtn>(*this, "bbNext");
}

TfmFieldsSet::~TfmFieldsSet() {
  if (session_open_) {
    // No close query let the form close (an error left the modal loop): the user confirmed
    // nothing, so the values go back to the snapshot. A destructor cannot pass an error on.
    try {
      EndSession(true);
    } catch (const std::exception& e) {
      Application->ShowException(e);
    }
  }
  assert(!session_open_);
  if (fields_set_->Form() == this) fields_set_->SetForm(nullptr);
  if (TPanelFieldsSet* panel = Panel(); panel != nullptr && panel->Parent() == this) panel->SetParent(nullptr);
}

void TfmFieldsSet::DoCreate() {
  TFieldsSet& dialog = *fields_set_;
  default_caption_ = Caption();
  SetHelpContext(dialog.GetHelpContext());
  SetOptions();
  Panel()->SetParent(this);
  dialog.SetForm(this);
  UpdateForm();
  TForm::DoCreate();
}

void TfmFieldsSet::SetOptions() {
  const TStateOptions options = fields_set_->GetOptions();
  paClear->SetVisible(options.Contains(soClear));
  paClear->SetLeft(0);
  paSetup->SetVisible(options.Contains(soSetup));
  paHelp->SetVisible(options.Contains(soHelp));
  paHelp->SetLeft(paCancel->Left() + paCancel->Width());
}

void TfmFieldsSet::UpdateForm() {
  TFieldsSet& dialog = *fields_set_;
  TPanelFieldsSet& panel = *Panel();
  TStyleOptions& style = *panel.StyleOptions();
  SetCaption(dialog.GetTitle().empty() ? default_caption_ : dialog.GetTitle());
  SetColor(style.GetColor(0));
  {
    // The panel between the bars shows the same colour: index 0 of its style stands for
    // the panel itself. Its invalidation asks for this very update; the bracket folds it.
    TemporaryChange updating(update_count_, update_count_ + 1);
    panel.SetColor(style.GetColor(0));
  }
  SetFont(style.GetFont(1));
  paTop->SetFont(style.GetFont(0));
  if (paTop->Font()->Size() > kMaxBarFontSize) paTop->Font()->SetSize(kMaxBarFontSize);
  paBottom->SetFont(paTop->Font());

  // The limits leave the margins, the bars, the frame and the panel's border free; the
  // panel's sizing requests (TDialogPanel) add exactly these back, so fields at the limit
  // make a form exactly the margins smaller than the screen.
  panel.SetMinFieldsWidth(kMinFieldsWidth);
  ScopeExit min_width([&panel] { panel.SetMinFieldsWidth(0); });
  // In 64 bits: the margins and the border are whatever ints the dialog was given.
  const std::int64_t border = 2 * std::int64_t{panel.BorderWidth()};
  panel.SetMaxFieldsWidth(SaturateToInt(std::int64_t{Screen->Width()} - dialog.GetHorzMargin() -
                                        (Width() - ClientWidth()) - 2 - border));
  std::int64_t max_height = std::int64_t{Screen->Height()} - dialog.GetVertMargin() - paBottom->Height() -
                            (Height() - ClientHeight()) - 2 - border;
  if (paTop->Visible()) max_height -= paTop->Height();
  panel.SetMaxFieldsHeight(SaturateToInt(max_height));
  panel.PaintFields();
}

bool TfmFieldsSet::Execute() { return ShowModal() == mrOk; }

void TfmFieldsSet::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  Changed();
}

void TfmFieldsSet::Changed() {
  if (update_count_ == 0) UpdateForm();
}

void TfmFieldsSet::FormActivate(TObject* sender) {
  TPanelFieldsSet& panel = *Panel();
  if (!session_open_) {
    TFieldsList& list = *panel.Fields();
    list_updates_before_ = list.UpdateCount();
    list.BeginUpdate();
    session_open_ = true;
    panel.SetBuffer(panel.DialogBuffer());
    if (!panel.GetAutoSaveValues()) panel.ClearValues();
  }
  if (panel.CanFocus()) panel.SetFocus();
  fields_set_->FormActivate(sender);
}

void TfmFieldsSet::FormCloseQuery(TObject* /*sender*/, bool& /*can_close*/) {
  // A value typed into the focused edit counts although the edit never lost the focus.
  if (auto* edit = dynamic_cast<TCustomMaskEdit*>(ActiveControl()); edit != nullptr && edit->OnExit.Assigned()) {
    edit->OnExit(edit);
  }
  if (fields_set_->OnFormClose.Assigned()) {
    const TModalResult result = ModalResult();
    TCloseState state = result == mrOk ? csOk : result == mrCancel ? csCancel : csNone;
    fields_set_->OnFormClose(this, state);
    SetModalResult(state == csOk ? mrOk : state == csCancel ? mrCancel : mrNone);
  }
  // csNone: the form stays open, and so does the session.
  if (ModalResult() == mrNone || !session_open_) return;
  EndSession(ModalResult() == mrCancel);
}

void TfmFieldsSet::EndSession(bool restore) {
  assert(session_open_);
  TPanelFieldsSet& panel = *Panel();
  TFieldsList& list = *panel.Fields();
  session_open_ = false;
  // The bracket closes on every path; its closing update runs with the values in place.
  ScopeExit close([&list] { list.EndUpdate(); });
  if (restore) {
    panel.GetBuffer(panel.DialogBuffer());
    list.ExcludeState({fsUpdateNeeded});
  }
  TPanelFieldsSet::ClearBfr(panel.DialogBuffer());
  // One BeginUpdate was made when the session opened, and nothing else in the form opens
  // the list's bracket, so closing it returns the list to its nesting of before.
  assert(list.UpdateCount() == list_updates_before_ + 1);
}

void TfmFieldsSet::bbClearClick(TObject* /*sender*/) { fields_set_->ClearValues(); }

void TfmFieldsSet::bbSetupClick(TObject* /*sender*/) { fields_set_->ShowSetupForm(); }

void TfmFieldsSet::bbHelpClick(TObject* /*sender*/) { Application->HelpContext(HelpContext()); }

}  // namespace vantor
