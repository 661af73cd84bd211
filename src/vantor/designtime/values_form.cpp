#include <vantor/designtime/values_form.h>

#include <cassert>

#include <vantor/criteria/field_record.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

namespace {

// Where FormCreate puts the edits on paTop.
constexpr int kEditLeft = 95;
constexpr int kValueWidth = 110;
constexpr int kCommentWidth = 185;
constexpr std::array<int, 2> kValueTops = {2, 26};
constexpr std::array<int, 2> kCommentTops = {48, 72};

}  // namespace

const TypeInfo& TfmValues::StaticType() {
  static const TypeInfo info = TypeBuilder<TfmValues>("TfmValues", &TForm::StaticType()).Build();
  return info;
}

TfmValues::TfmValues(TComponent* owner) : TForm(owner, TCreateNew{}) {
  RegisterMethod("FormCreate", TNotifyEvent::Handler([this](TObject* s) { FormCreate(s); }));
  RegisterMethod("FormActivate", TNotifyEvent::Handler([this](TObject* s) { FormActivate(s); }));
  RegisterMethod("FormCloseQuery",
                 TCloseQueryEvent::Handler([this](TObject* s, bool& c) { FormCloseQuery(s, c); }));
  ReadFormResource(*this, "TfmValues");
  paTop = DescribedControl<TPanel>(*this, "paTop");
  paBottom = DescribedControl<TPanel>(*this, "paBottom");
  buOk = DescribedControl<TButton>(*this, "buOk");
  buCancel = DescribedControl<TButton>(*this, "buCancel");
}

void TfmValues::FormCreate(TObject* /*sender*/) {
  const auto make = [this](int top, int width, int tab_order) {
    auto* edit = new TVntMaskEdit(this);
    edit->SetParent(paTop);
    edit->SetBounds(kEditLeft, top, width, edit->Height());
    edit->SetTabOrder(tab_order);
    return edit;
  };
  for (std::size_t i = 0; i < 2; ++i) {
    ValueEdits[i] = make(kValueTops[i], kValueWidth, static_cast<int>(i));
    ValueEdits[i]->OnKeyPress = [this](TObject* s, char32_t& key) { EditKeyPress(s, key); };
    ValueEdits[i]->OnExit = [this](TObject* s) { EditExit(s); };
  }
  for (std::size_t i = 0; i < 2; ++i) CommentEdits[i] = make(kCommentTops[i], kCommentWidth, static_cast<int>(i) + 2);
  SetActiveControl(ValueEdits[0]);
}

void TfmValues::FormActivate(TObject* /*sender*/) {
  // The record is shown once per form. The form is activated again whenever a message
  // box (a rejected value) closes over it, and showing the record then would throw away
  // what the developer typed and is about to correct.
  if (FieldRecord == nullptr || shown_) return;
  shown_ = true;
  for (int i = 0; i < 2; ++i) {
    TVntMaskEdit* edit = ValueEdits[static_cast<std::size_t>(i)];
    edit->SetAlignment(FieldRecord->GetAlignment());
    edit->SetText(FieldRecord->VariantToText(FieldRecord->GetValues(i)));
    CommentEdits[static_cast<std::size_t>(i)]->SetText(FieldRecord->GetCommentTexts(i));
  }
  SetCaption(FieldRecord->GetFieldName());
}

void TfmValues::FormCloseQuery(TObject* /*sender*/, bool& /*can_close*/) {
  if (ModalResult() != mrOk || FieldRecord == nullptr) return;
  for (int i = 0; i < 2; ++i) {
    const TVntMaskEdit* edit = ValueEdits[static_cast<std::size_t>(i)];
    if (!edit->Modified()) continue;
    const std::string text = edit->Text();
    // A conversion error leaves the form open with the values stored so far.
    FieldRecord->SetValues(i, text == FormatMaskText(edit->EditMask(), "")
                                  ? Variant::Null()
                                  : FieldRecord->TextToVariant(text));
  }
  FieldRecord->SetCommentTexts(0, CommentEdits[0]->Text());
  FieldRecord->SetCommentTexts(1, CommentEdits[1]->Text());
}

void TfmValues::EditKeyPress(TObject* /*sender*/, char32_t& key) {
  if (key < U' ' || FieldRecord == nullptr || FieldRecord->IsValidChar(key)) return;
  MessageBeep(MB_OK);
  key = 0;
}

void TfmValues::EditExit(TObject* sender) {
  const auto* edit = dynamic_cast<const TVntMaskEdit*>(sender);
  // Only the two value edits are given this handler (FormCreate).
  assert(edit != nullptr);
  if (FieldRecord == nullptr || !edit->Modified()) return;
  const std::string text = edit->Text();
  if (text == FormatMaskText(edit->EditMask(), "")) return;
  // The value is not kept here; converting is the check, and its error is the report.
  (void)FieldRecord->TextToVariant(text);
}

}  // namespace vantor
