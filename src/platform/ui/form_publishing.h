#pragma once
// The published properties and events that the forms and the controls of this half of
// the layer share, one call per class description. TControl publishes only its bounds,
// cursor and hint; each class publishes what it shows, as these helpers do.

#include "platform/core/type_info.h"
#include "platform/ui/win_control.h"

namespace vantor::publishing {

// Look and state every visible control has: alignment, colour, font, enabling, hints,
// visibility, and the mouse events. `caption` adds the Caption property.
template <typename C>
TypeBuilder<C>& Control(TypeBuilder<C>& b, bool caption) {
  b.Property("Align", &TControl::Align, &TControl::SetAlign, alNone);
  if (caption) b.Property("Caption", &TControl::Caption, &TControl::SetCaption);
  b.Property("Color", &TControl::Color, &TControl::SetColor)
      .Stored(&TControl::IsColorStored)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Font", &TControl::Font)
      .Stored(&TControl::IsFontStored)
      .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
      .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Stored(&TControl::IsShowHintStored)
      .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp);
  return b;
}

// A windowed control adds its 3-D look, its place in the tab order and the key and
// focus events; `tab_stop` is the class's default TabStop.
template <typename C>
TypeBuilder<C>& WinControl(TypeBuilder<C>& b, bool caption, bool tab_stop) {
  Control(b, caption);
  b.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored(&TWinControl::IsCtl3DStored)
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
      .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, tab_stop)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit)
      .Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Event("OnKeyUp", &TWinControl::OnKeyUp);
  return b;
}

}  // namespace vantor::publishing
