#pragma once
// Runs of published properties and events that several classes publish alike: the same
// names in the same order, with the same defaults and stored predicates. TControl itself
// publishes only its bounds, cursor and hint; each class publishes what it shows, and
// where its list has one of these runs it calls the helper and goes on with its own:
//     TypeBuilder<TPanel> b("TPanel", &TCustomPanel::StaticType());
//     b.Component().Property("Align", ...).Property("Alignment", ...);
//     PublishPanelFrame(b, 0).Property("Caption", ...);
//     ...
//     return b.Build();
// The order of a list is the order of the form stream, so a helper serves only where
// none of the class's own properties comes between the members of its run; such a
// class writes those lines itself.

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/menus.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

// --- Events ---

// OnClick, OnDblClick and the mouse button and move events.
template <typename C>
TypeBuilder<C>& PublishMouseEvents(TypeBuilder<C>& b) {
  return b.Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp);
}

// The key events of a windowed control.
template <typename C>
TypeBuilder<C>& PublishKeyEvents(TypeBuilder<C>& b) {
  return b.Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Event("OnKeyUp", &TWinControl::OnKeyUp);
}

// A windowed control's click, focus and mouse events, by name: OnClick, OnDblClick,
// OnEnter, OnExit, the key events when `key_events`, then the mouse events.
template <typename C>
TypeBuilder<C>& PublishFocusMouseEvents(TypeBuilder<C>& b, bool key_events) {
  b.Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit);
  if (key_events) PublishKeyEvents(b);
  return b.Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp);
}

// --- Properties ---

// The popup menu reference (written by the menu's name; nothing while there is none).
template <typename C>
TypeBuilder<C>& PublishPopupMenu(TypeBuilder<C>& b) {
  return b.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
}

// ParentShowHint, PopupMenu when `popup_menu`, and ShowHint (written only while
// ParentShowHint is off). Controls that offer a context menu publish it here, where it
// falls in their lists.
template <typename C>
TypeBuilder<C>& PublishHints(TypeBuilder<C>& b, bool popup_menu) {
  b.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
  if (popup_menu) PublishPopupMenu(b);
  return b.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Stored(&TControl::IsShowHintStored);
}

// TabOrder (default -1, a control without a parent) and TabStop; `tab_stop` is the
// class's default TabStop.
template <typename C>
TypeBuilder<C>& PublishTabStop(TypeBuilder<C>& b, bool tab_stop) {
  return b.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, tab_stop);
}

// Color, Ctl3D, Enabled and Font of a windowed control; the colour, the 3-D look and the
// font are written only while the control does not take them from its parent.
template <typename C>
TypeBuilder<C>& PublishWindowLook(TypeBuilder<C>& b) {
  return b.Property("Color", &TControl::Color, &TControl::SetColor)
      .Idents(ColorValueOfIdent, ColorIdentOfValue)
      .Stored(&TControl::IsColorStored)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored(&TWinControl::IsCtl3DStored)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Font", &TControl::Font)
      .Stored(&TControl::IsFontStored);
}

// ParentColor, ParentCtl3D and ParentFont; `parent_color` is the class's default
// ParentColor (false where the control keeps a colour of its own).
template <typename C>
TypeBuilder<C>& PublishParentLook(TypeBuilder<C>& b, bool parent_color) {
  return b.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, parent_color)
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
}

// A panel's frame: BevelInner, BevelOuter, BevelWidth, BorderWidth and BorderStyle.
// `border_width` is the class's default BorderWidth, the one its constructor sets.
template <typename C>
TypeBuilder<C>& PublishPanelFrame(TypeBuilder<C>& b, int border_width) {
  return b.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone)
      .Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised)
      .Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
      .Range(1, INT32_MAX)
      .Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth,
                border_width)
      .Range(0, INT32_MAX)
      .Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle, bsNone);
}

// The edit boxes publish one list, into which each sorts its own properties: the mask
// edit its EditMask after Ctl3D, the plain edit its HideSelection after Font. This is the
// list up to Ctl3D: AutoSelect, AutoSize, BorderStyle, CharCase, Color and Ctl3D.
template <typename C>
TypeBuilder<C>& PublishEditBoxLook(TypeBuilder<C>& b) {
  return b.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
      .Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize, true)
      .Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle)
      .Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal)
      .Property("Color", &TControl::Color, &TControl::SetColor)
      .Idents(ColorValueOfIdent, ColorIdentOfValue)
      .Stored(&TControl::IsColorStored)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored(&TWinControl::IsCtl3DStored);
}

// The edit boxes' list from MaxLength to the end: the entry limits, the parent and hint
// flags, the tab stop (on by default), Text, Visible, OnChange and the windowed events.
template <typename C>
TypeBuilder<C>& PublishEditBoxEntry(TypeBuilder<C>& b) {
  b.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
  PublishParentLook(b, false)
      .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar, U'\0');
  PublishPopupMenu(b)
      .Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
      .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Stored(&TControl::IsShowHintStored);
  PublishTabStop(b, true)
      .Property("Text", &TControl::Text, &TControl::SetText)
      .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Event("OnChange", &TCustomEdit::OnChange);
  return PublishFocusMouseEvents(b, true);
}

// --- The controls of the forms ---
// These publish their common list first and their own properties after it.

// Alignment, colour, font, enabling, hints, the popup menu, visibility and the mouse events of a control
// on a form; `caption` adds the Caption property.
template <typename C>
TypeBuilder<C>& PublishControl(TypeBuilder<C>& b, bool caption) {
  b.Property("Align", &TControl::Align, &TControl::SetAlign, alNone);
  if (caption) b.Property("Caption", &TControl::Caption, &TControl::SetCaption);
  b.Property("Color", &TControl::Color, &TControl::SetColor)
      .Idents(ColorValueOfIdent, ColorIdentOfValue)
      .Stored(&TControl::IsColorStored)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Font", &TControl::Font)
      .Stored(&TControl::IsFontStored)
      .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
  PublishHints(b, true).Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
  return PublishMouseEvents(b);
}

// A windowed control on a form adds its 3-D look, its place in the tab order and the
// focus and key events; `tab_stop` is the class's default TabStop.
template <typename C>
TypeBuilder<C>& PublishWinControl(TypeBuilder<C>& b, bool caption, bool tab_stop) {
  PublishControl(b, caption)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored(&TWinControl::IsCtl3DStored)
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
      .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, tab_stop)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit);
  return PublishKeyEvents(b);
}

}  // namespace vantor
