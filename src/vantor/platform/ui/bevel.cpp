#include <vantor/platform/ui/bevel.h>

namespace vantor {

const TypeInfo& TBevel::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TBevel>("TBevel", &TGraphicControl::StaticType())
          .Component()
          .Property("Align", &TBevel::Align, &TBevel::SetAlign, alNone)
          .Property("ParentShowHint", &TBevel::ParentShowHint, &TBevel::SetParentShowHint, true)
          .Property("Shape", &TBevel::Shape, &TBevel::SetShape, bsBox)
          .Property("ShowHint", &TBevel::ShowHint, &TBevel::SetShowHint)
          .Stored(&TBevel::IsShowHintStored)
          .Property("Style", &TBevel::Style, &TBevel::SetStyle, bsLowered)
          .Property("Visible", &TBevel::Visible, &TBevel::SetVisible, true)
          .Build();
  return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetBounds(0, 0, 50, 50);
}

TBevel::~TBevel() = default;

void TBevel::SetShape(TBevelShape value) {
  if (value == shape_) return;
  shape_ = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  if (value == style_) return;
  style_ = value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& canvas = *Canvas();
  // A lowered bevel is dark above and left, light below and right; a raised one the reverse.
  const TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  const int w = Width();
  const int h = Height();
  auto line = [&canvas](TColor color, int x1, int y1, int x2, int y2) {
    canvas.Pen()->SetColor(color);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
  };
  switch (shape_) {
    case bsBox: {
      TRect r{0, 0, w, h};
      Frame3D(canvas, r, first, second, 1);
      return;
    }
    case bsFrame: {
      TRect outer{0, 0, w - 1, h - 1};
      canvas.Brush()->SetColor(first);
      canvas.FrameRect(outer);
      TRect inner{1, 1, w, h};
      canvas.Brush()->SetColor(second);
      canvas.FrameRect(inner);
      return;
    }
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      return;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      return;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      return;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      return;
  }
}

}  // namespace vantor
