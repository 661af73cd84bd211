#include <vantor/criteria/style_options.h>

#include <vantor/criteria/fields_owner.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/ui/win_control.h>
#include <vantor/platform/ui/messages.h>

namespace vantor {

// ---- TStyleOptions ----

const TypeInfo& TStyleOptions::StaticType() {
  using C = TStyleOptions;
  static const TypeInfo info =
      TypeBuilder<C>("TStyleOptions", &TPersistent::StaticType())
          .Property("Color", &C::GetPanelColor, &C::SetPanelColor, clBtnFace)
          .Idents(ColorValueOfIdent, ColorIdentOfValue)
          .StoredIndexed(&C::IsColorStored, 0)
          .Property("ParentColor", &C::GetPanelParentColor, &C::SetPanelParentColor)
          .Stored(&C::NeverStored)
          .Property("EditColor", &C::GetEditColor, &C::SetEditColor, clWindow)
          .Idents(ColorValueOfIdent, ColorIdentOfValue)
          .StoredIndexed(&C::IsColorStored, 1)
          .Property("ParentEditColor", &C::GetParentEditColor, &C::SetParentEditColor, false)
          .Property("TextFont", &C::GetTextFont)
          .StoredIndexed(&C::IsFontStored, 1)
          .Property("ParentTextFont", &C::GetParentTextFont, &C::SetParentTextFont)
          .Stored(&C::NeverStored)
          .Property("EditFont", &C::GetEditFont)
          .StoredIndexed(&C::IsFontStored, 2)
          .Property("ParentEditFont", &C::GetParentEditFont, &C::SetParentEditFont)
          .Stored(&C::NeverStored)
          .Property("Ctl3D", &C::GetCtl3D, &C::SetCtl3D)
          .Stored(&C::IsCtl3DStored)
          .Property("ParentCtl3D", &C::GetParentCtl3D, &C::SetParentCtl3D)
          .Stored(&C::NeverStored)
          .Build();
  return info;
}

TStyleOptions::TStyleOptions(TFieldsOwner* owner) : owner_(owner), colors_{clBtnFace, clWindow} {
  for (auto& font : fonts_) {
    font = std::make_unique<TFont>();
    font->OnChange = [this](TObject* sender) { FontChanged(dynamic_cast<const TFont*>(sender)); };
  }
}

TStyleOptions::~TStyleOptions() {
  for (auto& font : fonts_) font->OnChange.Clear();
}

TPersistent* TStyleOptions::GetOwner() const {
  return owner_ != nullptr ? owner_->FieldsOwnerPersistent() : nullptr;
}

TWinControl* TStyleOptions::Control() const {
  return owner_ != nullptr ? owner_->FieldsOwnerControl() : nullptr;
}

TFont* TStyleOptions::GetFont(int index) const {
  if (!FontIndex(index)) return nullptr;
  if (index == 0 && owner_ != nullptr) return Control()->Font();
  return fonts_[static_cast<std::size_t>(index)].get();
}

void TStyleOptions::SetFont(int index, const TFont* value) {
  if (!FontIndex(index)) return;
  if (index == 0) {
    if (owner_ != nullptr) Control()->SetFont(value);
    return;
  }
  fonts_[static_cast<std::size_t>(index)]->Assign(value);
}

bool TStyleOptions::GetParentFont(int index) const {
  if (!FontIndex(index)) return false;
  if (index == 0 && owner_ != nullptr) return Control()->ParentFont();
  return parent_fonts_[static_cast<std::size_t>(index)];
}

void TStyleOptions::SetParentFont(int index, bool value) {
  if (!FontIndex(index) || GetParentFont(index) == value) return;
  if (index != 0) parent_fonts_[static_cast<std::size_t>(index)] = value;
  if (owner_ == nullptr) return;
  // The pending index narrows the notification this change sends, and no other: a panel
  // without a parent gets none now, and the one it gets when it is put on a form must
  // look at every font.
  TemporaryChange pending(pending_parent_font_, index);
  if (index == 0) {
    Control()->SetParentFont(value);  // notifies when the panel has a parent
  } else if (Control()->Parent() != nullptr) {
    Control()->Perform(CM_PARENTFONTCHANGED, 0, 0);
  }
}

TColor TStyleOptions::GetColor(int index) const {
  if (!ColorIndex(index)) return clBtnFace;
  if (index == 0 && owner_ != nullptr) return Control()->Color();
  return colors_[static_cast<std::size_t>(index)];
}

void TStyleOptions::SetColor(int index, TColor value) {
  if (!ColorIndex(index)) return;
  if (index == 0) {
    if (owner_ != nullptr) Control()->SetColor(value);
    return;
  }
  if (value == GetColor(index)) return;
  colors_[static_cast<std::size_t>(index)] = value;
  parent_colors_[static_cast<std::size_t>(index)] = false;
  if (owner_ != nullptr) owner_->WndChanged();
}

bool TStyleOptions::GetParentColor(int index) const {
  if (!ColorIndex(index)) return false;
  if (index == 0 && owner_ != nullptr) return Control()->ParentColor();
  return parent_colors_[static_cast<std::size_t>(index)];
}

void TStyleOptions::SetParentColor(int index, bool value) {
  if (!ColorIndex(index) || GetParentColor(index) == value) return;
  if (index != 0) parent_colors_[static_cast<std::size_t>(index)] = value;
  if (owner_ == nullptr) return;
  // As for the fonts: pending for this change's own notification only.
  TemporaryChange pending(pending_parent_color_, index);
  if (index == 0) {
    Control()->SetParentColor(value);  // notifies when the panel has a parent
  } else if (Control()->Parent() != nullptr) {
    Control()->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  }
}

bool TStyleOptions::GetCtl3D() const { return owner_ != nullptr ? Control()->Ctl3D() : ctl3d_; }

void TStyleOptions::SetCtl3D(bool value) {
  if (owner_ != nullptr) Control()->SetCtl3D(value);
}

bool TStyleOptions::GetParentCtl3D() const {
  return owner_ != nullptr ? Control()->ParentCtl3D() : parent_ctl3d_;
}

void TStyleOptions::SetParentCtl3D(bool value) {
  if (owner_ != nullptr) Control()->SetParentCtl3D(value);
}

void TStyleOptions::FontChanged(const TFont* sender) {
  if (following_parent_) return;
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i].get() != sender) continue;
    parent_fonts_[i] = false;
    if (owner_ != nullptr) owner_->WndChanged();
    return;
  }
}

// ---- TFSStyleOptions ----

const TypeInfo& TFSStyleOptions::StaticType() {
  using C = TFSStyleOptions;
  static const TypeInfo info = TypeBuilder<C>("TFSStyleOptions", &TStyleOptions::StaticType())
                                   .Property("Font", &C::GetPanelFont)
                                   .StoredIndexed(&C::IsFontStored, 0)
                                   .Property("ParentFont", &C::GetPanelParentFont,
                                             &C::SetPanelParentFont)
                                   .Stored(&C::NeverStored)
                                   .Build();
  return info;
}

TWinControl* TFSStyleOptions::ParentForm() const {
  if (owner_ == nullptr) return nullptr;
  TComponent* dialog = Control()->Owner();
  if (dialog == nullptr) return nullptr;
  return dynamic_cast<TWinControl*>(dialog->Owner());
}

TFont* TFSStyleOptions::GetFont(int index) const {
  if (!FontIndex(index)) return nullptr;
  const auto i = static_cast<std::size_t>(index);
  if (parent_fonts_[i]) {
    if (TWinControl* form = ParentForm()) {
      // Following the form: copying its font is not an explicit change.
      following_parent_ = true;
      try {
        fonts_[i]->Assign(form->Font());
      } catch (...) {
        following_parent_ = false;
        throw;
      }
      following_parent_ = false;
      parent_fonts_[i] = true;
    }
  }
  return fonts_[i].get();
}

void TFSStyleOptions::SetFont(int index, const TFont* value) {
  if (!FontIndex(index)) return;
  fonts_[static_cast<std::size_t>(index)]->Assign(value);
}

bool TFSStyleOptions::GetParentFont(int index) const {
  return FontIndex(index) && parent_fonts_[static_cast<std::size_t>(index)];
}

void TFSStyleOptions::SetParentFont(int index, bool value) {
  if (!FontIndex(index) || parent_fonts_[static_cast<std::size_t>(index)] == value) return;
  const auto i = static_cast<std::size_t>(index);
  if (TWinControl* form = ParentForm()) fonts_[i]->Assign(form->Font());
  parent_fonts_[i] = value;
}

TColor TFSStyleOptions::GetColor(int index) const {
  if (!ColorIndex(index)) return clBtnFace;
  const auto i = static_cast<std::size_t>(index);
  if (parent_colors_[i]) {
    if (TWinControl* form = ParentForm()) return form->Color();
  }
  return colors_[i];
}

void TFSStyleOptions::SetColor(int index, TColor value) {
  if (!ColorIndex(index) || value == GetColor(index)) return;
  const auto i = static_cast<std::size_t>(index);
  colors_[i] = value;
  parent_colors_[i] = false;
  if (owner_ != nullptr) owner_->WndChanged();
}

bool TFSStyleOptions::GetParentColor(int index) const {
  return ColorIndex(index) && parent_colors_[static_cast<std::size_t>(index)];
}

void TFSStyleOptions::SetParentColor(int index, bool value) {
  if (!ColorIndex(index) || parent_colors_[static_cast<std::size_t>(index)] == value) return;
  const auto i = static_cast<std::size_t>(index);
  const TColor before = GetColor(index);
  if (TWinControl* form = ParentForm()) colors_[i] = form->Color();
  parent_colors_[i] = value;
  if (GetColor(index) != before && owner_ != nullptr) owner_->WndChanged();
}

bool TFSStyleOptions::GetCtl3D() const {
  if (parent_ctl3d_) {
    if (TWinControl* form = ParentForm()) return form->Ctl3D();
  }
  return ctl3d_;
}

void TFSStyleOptions::SetCtl3D(bool value) {
  if (value == GetCtl3D()) return;
  ctl3d_ = value;
  parent_ctl3d_ = false;
  if (owner_ != nullptr) owner_->WndChanged();
}

bool TFSStyleOptions::GetParentCtl3D() const { return parent_ctl3d_; }

void TFSStyleOptions::SetParentCtl3D(bool value) {
  if (parent_ctl3d_ == value) return;
  const bool before = GetCtl3D();
  if (TWinControl* form = ParentForm()) ctl3d_ = form->Ctl3D();
  parent_ctl3d_ = value;
  if (GetCtl3D() != before && owner_ != nullptr) owner_->WndChanged();
}

}  // namespace vantor
