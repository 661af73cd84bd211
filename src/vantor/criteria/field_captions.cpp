#include <vantor/criteria/field_captions.h>

#include <vantor/criteria/fields_owner.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {
bool ValidIndex(int index) { return index == 0 || index == 1; }
}  // namespace

const TypeInfo& TFieldCaptions::StaticType() {
  using C = TFieldCaptions;
  static const TypeInfo info = TypeBuilder<C>("TFieldCaptions", &TPersistent::StaticType())
                                   .Indexed("WithCaption", 0, &C::GetCaption, &C::SetCaption)
                                   .StoredIndexed(&C::IsCaptionStored, 0)
                                   .Indexed("OnCaption", 1, &C::GetCaption, &C::SetCaption)
                                   .StoredIndexed(&C::IsCaptionStored, 1)
                                   .Build();
  return info;
}

TFieldCaptions::TFieldCaptions(TFieldsOwner* owner)
    : owner_(owner), captions_{DefaultCaption(0), DefaultCaption(1)} {}

TPersistent* TFieldCaptions::GetOwner() const {
  return owner_ != nullptr ? owner_->FieldsOwnerPersistent() : nullptr;
}

std::string TFieldCaptions::DefaultCaption(int index) {
  if (!ValidIndex(index)) return {};
  return LoadStr(index == 0 ? SWithCaption : SOnCaption);
}

std::string TFieldCaptions::GetCaption(int index) const {
  if (!ValidIndex(index)) return {};
  const std::string& caption = captions_[static_cast<std::size_t>(index)];
  if (owner_ != nullptr) {
    const TComponentState state = owner_->GetComponentState();
    // Written at design time, an empty caption becomes one blank, so that the stream
    // tells it from the default.
    if (state.Contains(csWriting) && state.Contains(csDesigning) && Trim(caption).empty()) {
      return caption + " ";
    }
  }
  return caption;
}

void TFieldCaptions::SetCaption(int index, const std::string& value) {
  if (!ValidIndex(index)) return;
  std::string& caption = captions_[static_cast<std::size_t>(index)];
  if (caption == value) return;
  std::string text = value;
  // Loading takes off the blank that writing added to an empty caption.
  if (owner_ != nullptr && owner_->GetComponentState().Contains(csLoading) && Trim(text).empty() &&
      !text.empty()) {
    text.erase(0, 1);
  }
  caption = std::move(text);
  if (owner_ != nullptr) owner_->WndChanged();
}

bool TFieldCaptions::IsCaptionStored(int index) const {
  if (!ValidIndex(index)) return false;
  return captions_[static_cast<std::size_t>(index)] != DefaultCaption(index);
}

}  // namespace vantor
