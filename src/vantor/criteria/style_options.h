#pragma once
// TStyleOptions: the colours, fonts and 3-D look of a criteria panel's three kinds of
// element, with follow-the-parent flags in the manner of Color/ParentColor and
// Font/ParentFont. Index 0 is the panel itself and forwards to the panel's own
// properties; index 1 is the labels (TextFont) and the edits (EditColor); index 2 the
// edits' font (EditFont).
//
// TFSStyleOptions: the variant of the panels inside dialog components. Such a panel is
// shown only inside the dialog's modal form, so every value, index 0 included, lives in
// the style object, and the parent is the form the dialog component was placed on.
//
// The pending indexes tell the owner panel which parent flag a setter is notifying it
// of, so its parent-font and parent-colour handling touches only that one; they hold the
// index only while the setter's own notification runs (-1 otherwise: all of them, as the
// notification a panel gets on being put on a form needs).

#include <array>
#include <memory>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/ui/color.h>
#include <vantor/platform/ui/font.h>

namespace vantor {

class TFieldsOwner;
class TWinControl;

class TStyleOptions : public TPersistent {
 public:
  explicit TStyleOptions(TFieldsOwner* owner);
  ~TStyleOptions() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TPersistent* GetOwner() const override;

  TFieldsOwner* Owner() const { return owner_; }

  // ---- accessors by index (fonts 0..2, colours 0..1) ----
  virtual TFont* GetFont(int index) const;
  virtual void SetFont(int index, const TFont* value);
  virtual bool GetParentFont(int index) const;
  virtual void SetParentFont(int index, bool value);
  virtual TColor GetColor(int index) const;
  virtual void SetColor(int index, TColor value);
  virtual bool GetParentColor(int index) const;
  virtual void SetParentColor(int index, bool value);
  virtual bool GetCtl3D() const;
  virtual void SetCtl3D(bool value);
  virtual bool GetParentCtl3D() const;
  virtual void SetParentCtl3D(bool value);

  // ---- stored predicates (through the virtual accessors) ----
  bool IsColorStored(int index) const { return !GetParentColor(index); }
  bool IsFontStored(int index) const { return !GetParentFont(index); }
  bool IsCtl3DStored() const { return !GetParentCtl3D(); }
  // The parent flags other than ParentEditColor are restored by loading the values.
  bool NeverStored() const { return false; }

  // ---- published names ----
  TColor GetPanelColor() const { return GetColor(0); }
  void SetPanelColor(TColor value) { SetColor(0, value); }
  bool GetPanelParentColor() const { return GetParentColor(0); }
  void SetPanelParentColor(bool value) { SetParentColor(0, value); }
  TColor GetEditColor() const { return GetColor(1); }
  void SetEditColor(TColor value) { SetColor(1, value); }
  bool GetParentEditColor() const { return GetParentColor(1); }
  void SetParentEditColor(bool value) { SetParentColor(1, value); }
  TFont* GetTextFont() const { return GetFont(1); }
  bool GetParentTextFont() const { return GetParentFont(1); }
  void SetParentTextFont(bool value) { SetParentFont(1, value); }
  TFont* GetEditFont() const { return GetFont(2); }
  bool GetParentEditFont() const { return GetParentFont(2); }
  void SetParentEditFont(bool value) { SetParentFont(2, value); }

  // Index whose ParentFont / ParentColor flag is being set, during the notification its
  // setter sends; -1 otherwise. The owner's handling resets it when it takes it.
  int PendingParentFont() const { return pending_parent_font_; }
  void SetPendingParentFont(int value) { pending_parent_font_ = value; }
  int PendingParentColor() const { return pending_parent_color_; }
  void SetPendingParentColor(int value) { pending_parent_color_ = value; }

  // Sets a parent flag without the setters' side effects; the owner's parent-font and
  // parent-colour handling uses them after copying the parent's value.
  void StoreParentFont(int index, bool value) {
    if (FontIndex(index)) parent_fonts_[static_cast<std::size_t>(index)] = value;
  }
  void StoreParentColor(int index, bool value) {
    if (ColorIndex(index)) parent_colors_[static_cast<std::size_t>(index)] = value;
  }

  // A font of this object changed: it stops following the parent; relayout.
  void FontChanged(const TFont* sender);

 protected:
  static bool FontIndex(int index) { return index >= 0 && index <= 2; }
  static bool ColorIndex(int index) { return index == 0 || index == 1; }

  // The control whose own font, colour and 3-D look index 0 stands for (the owner's).
  TWinControl* Control() const;

  TFieldsOwner* owner_;
  std::array<std::unique_ptr<TFont>, 3> fonts_;
  mutable std::array<bool, 3> parent_fonts_{true, true, true};
  std::array<TColor, 2> colors_;
  std::array<bool, 2> parent_colors_{true, false};
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  int pending_parent_font_ = -1;
  int pending_parent_color_ = -1;
  // True while a font is copied from the parent: that is no explicit change.
  mutable bool following_parent_ = false;
};

class TFSStyleOptions : public TStyleOptions {
 public:
  using TStyleOptions::TStyleOptions;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TFont* GetFont(int index) const override;
  void SetFont(int index, const TFont* value) override;
  bool GetParentFont(int index) const override;
  void SetParentFont(int index, bool value) override;
  TColor GetColor(int index) const override;
  void SetColor(int index, TColor value) override;
  bool GetParentColor(int index) const override;
  void SetParentColor(int index, bool value) override;
  bool GetCtl3D() const override;
  void SetCtl3D(bool value) override;
  bool GetParentCtl3D() const override;
  void SetParentCtl3D(bool value) override;

  TFont* GetPanelFont() const { return GetFont(0); }
  bool GetPanelParentFont() const { return GetParentFont(0); }
  void SetPanelParentFont(bool value) { SetParentFont(0, value); }

  // The form the dialog component was placed on: the owner of the component that owns
  // the inner panel, when that is a windowed control; else null.
  TWinControl* ParentForm() const;
};

}  // namespace vantor
