#include <vantor/platform/ui/speed_button.h>

#include <algorithm>

#include <vantor/platform/ui/publishing.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

const TypeInfo& TSpeedButton::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TSpeedButton> b("TSpeedButton", &TGraphicControl::StaticType());
    b.Component()
        .Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
        .Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
        .Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
        .Property("Caption", &TControl::Caption, &TControl::SetCaption)
        .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
        .Property("Font", &TControl::Font)
        .Stored(&TControl::IsFontStored)
        .Property("Glyph", &TSpeedButton::Glyph)
        .Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft)
        .Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
        .Range(1, 4)
        .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
    PublishHints(b, false).Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
    PublishMouseEvents(b);
    return b.Build();
  }();
  return info;
}

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  // The button makes its own clicks, on release over it.
  SetControlStyle({csCaptureMouse, csDoubleClicks});
  SetBounds(0, 0, 23, 22);
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == num_glyphs_) return;
  num_glyphs_ = value;
  Invalidate();
}

void TSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TSpeedButton::SetDown(bool value) {
  if (group_index_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allow_all_up_ && !value) {
    // The last button down in a group without all-up stays down.
    bool other_down = false;
    if (Parent() != nullptr) {
      for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (b != nullptr && b != this && b->group_index_ == group_index_ && b->down_) other_down = true;
      }
    }
    if (!other_down) return;
  }
  down_ = value;
  state_ = value ? bsExclusive : bsUp;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (group_index_ == 0 || Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (b == nullptr || b == this || b->group_index_ != group_index_ || !b->down_) continue;
    b->down_ = false;
    b->state_ = bsUp;
    b->Invalidate();
  }
}

void TSpeedButton::GlyphImage(TButtonState state, TBitmap& image) const {
  image.SetSize(0, 0);
  if (glyph_->Empty()) return;
  const int width = glyph_->Width() / num_glyphs_;
  int index = static_cast<int>(state);
  if (index >= num_glyphs_) index = 0;
  if (state == bsExclusive && num_glyphs_ < 4) index = num_glyphs_ >= 3 ? 2 : 0;
  image.SetSize(width, glyph_->Height());
  for (int y = 0; y < glyph_->Height(); ++y) {
    for (int x = 0; x < width; ++x) image.SetPixel(x, y, glyph_->Pixel(index * width + x, y));
  }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = PtInRect(GetClientRect(), {x, y});
  if (group_index_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (inside) {
    SetDown(!down_);
    if (!down_) {
      state_ = bsUp;
      Invalidate();
    }
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    Invalidate();
  }
  if (inside) Click();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect rect = GetClientRect();
  const TButtonState shown = !Enabled() ? bsDisabled : state_;
  const bool pressed = shown == bsDown || shown == bsExclusive;
  if (!flat_ || pressed) {
    if (pressed) {
      Frame3D(*canvas, rect, clBtnShadow, clBtnHighlight, 1);
    } else {
      Frame3D(*canvas, rect, clBtnHighlight, cl3DDkShadow, 1);
      Frame3D(*canvas, rect, clBtnFace, clBtnShadow, 1);
    }
  }
  canvas->Brush()->SetColor(clBtnFace);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(rect);
  TBitmap image;
  GlyphImage(shown, image);
  image.SetTransparent(true);  // a glyph shows the button face around its picture
  const std::string caption = Caption();
  canvas->SetFont(Font());
  const int text_width = caption.empty() ? 0 : canvas->TextWidth(caption);
  const int spacing = caption.empty() || image.Empty() ? 0 : 4;
  const TRect client = GetClientRect();
  const int offset = pressed ? 1 : 0;
  const int total = image.Width() + spacing + text_width;
  int x = (client.Width() - total) / 2 + offset;
  const int glyph_y = (client.Height() - image.Height()) / 2 + offset;
  if (layout_ == blGlyphRight) {
    canvas->Draw(x + text_width + spacing, glyph_y, &image);
  } else {
    canvas->Draw(x, glyph_y, &image);
    x += image.Width() + spacing;
  }
  if (!caption.empty()) {
    canvas->Brush()->SetStyle(bsClear);
    const int text_x = layout_ == blGlyphRight ? (client.Width() - total) / 2 + offset : x;
    canvas->TextRect(client, text_x, (client.Height() - canvas->TextHeight(caption)) / 2 + offset,
                     caption);
  }
}

}  // namespace vantor
