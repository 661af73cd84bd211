#include <vantor/dialogs/dialog_panel.h>

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include <vantor/criteria/style_options.h>
#include <vantor/dialogs/fields_set.h>
#include <vantor/dialogs/fields_set_form.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/screen.h>

namespace vantor {

template <typename Base>
TDialogPanel<Base>::TDialogPanel(TComponent* owner)
    : Base(owner), fields_set_(dynamic_cast<TFieldsSet*>(owner)) {
  // The base constructor could make only the plain style object.
  this->RecreateStyleOptions();
  this->SetAlign(alClient);
}

template <typename Base>
TDialogPanel<Base>::~TDialogPanel() {
  fields_set_ = nullptr;
}

template <typename Base>
TfmFieldsSet* TDialogPanel<Base>::ShowingForm() const {
  return fields_set_ != nullptr ? fields_set_->Form() : nullptr;
}

template <typename Base>
void TDialogPanel<Base>::ValuesChanged() {
  if (ShowingForm() != nullptr) return;
  Base::ValuesChanged();
}

template <typename Base>
void TDialogPanel<Base>::SetHeight(int value) {
  TfmFieldsSet* form = ShowingForm();
  if (form == nullptr || this->InWindowPosChange()) return;
  // Summed in 64 bits: the fields' extent and the border may be as large as an int holds.
  std::int64_t height = std::int64_t{value} + form->paBottom->Height() + 2 * std::int64_t{this->BorderWidth()} +
                        2 + (form->Height() - form->ClientHeight());
  if (form->paTop->Visible()) height += form->paTop->Height();
  form->SetHeight(SaturateToInt(height));
  // Centred as the form is when it shows (never above the screen, so the caption stays in
  // reach of a form larger than the screen).
  form->SetTop(std::max(0, (Screen->Height() - form->Height()) / 2));
}

template <typename Base>
void TDialogPanel<Base>::SetWidth(int value) {
  TfmFieldsSet* form = ShowingForm();
  if (form == nullptr || this->InWindowPosChange()) return;
  form->SetWidth(SaturateToInt(std::int64_t{value} + 2 * std::int64_t{this->BorderWidth()} + 2 +
                               (form->Width() - form->ClientWidth())));
  form->SetLeft(std::max(0, (Screen->Width() - form->Width()) / 2));
}

template <typename Base>
void TDialogPanel<Base>::PaintComponent() {
  TfmFieldsSet* form = ShowingForm();
  if (form == nullptr) return;
  // The find panel's own layout pass asks for relayouts while it runs; the form is laid
  // out by the pass already.
  if constexpr (std::is_base_of_v<TDBCustomFindPanel, Base>) {
    if (this->LayoutLevel() != 0) return;
  }
  if (this->InWindowPosChange()) {
    Base::PaintComponent();
    return;
  }
  form->Changed();
}

template <typename Base>
TComponentState TDialogPanel<Base>::GetComponentState() const {
  if (fields_set_ != nullptr) return fields_set_->ComponentState();
  return TComponentState{csLoading};
}

template <typename Base>
std::unique_ptr<TStyleOptions> TDialogPanel<Base>::CreateStyleOptions() {
  return std::make_unique<TFSStyleOptions>(this);
}

template <typename Base>
void TDialogPanel<Base>::WndProc(TMessage& message) {
  switch (message.Msg) {
    // The dialog form's font, colour, 3-D look and cursor are set from this panel's own
    // style options; following them back would overwrite those.
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_CTL3DCHANGED:
    case CM_CURSORCHANGED:
      return;
    default:
      Base::WndProc(message);
      return;
  }
}

template class TDialogPanel<TDBCustomFindPanel>;
template class TDialogPanel<TDBCustomFilterPanel>;

TDBFindComponent::TDBFindComponent(TComponent* owner) : TDialogPanel(owner) { SetUpdateState(usNone); }

const TypeInfo& TDBFindComponent::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDBFindComponent>("TDBFindComponent", &TDBCustomFindPanel::StaticType()).Build();
  return info;
}

const TypeInfo& TDBFilterComponent::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDBFilterComponent>("TDBFilterComponent", &TDBCustomFilterPanel::StaticType()).Build();
  return info;
}

}  // namespace vantor
