#include <vantor/platform/ui/button.h>

#include <vector>

#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

namespace {

// The glyphs of the button kinds: an 18 x 18 picture and its greyed twin side by side,
// on an olive background that the bottom-left pixel marks as transparent.
constexpr int kGlyph = 18;

struct GlyphShape {
  const char* resource;
  TColor color;
  // Rows of the picture ('#' painted, '.' background), 18 rows of 18 characters.
  std::array<const char*, kGlyph> rows;
};

constexpr GlyphShape kShapes[] = {
    {"BBOK", clGreen, {"..................", "..................", "...............#..",
                       "..............##..", ".............###..", "............###...",
                       "...........###....", "..#.......###.....", "..##.....###......",
                       "..###...###.......", "...###.###........", "....#####.........",
                       ".....###..........", "......#...........", "..................",
                       "..................", "..................", ".................."}},
    {"BBCANCEL", clRed, {"..................", "..................", "...##........##...",
                         "...###......###...", "....###....###....", ".....###..###.....",
                         "......######......", ".......####.......", ".......####.......",
                         "......######......", ".....###..###.....", "....###....###....",
                         "...###......###...", "...##........##...", "..................",
                         "..................", "..................", ".................."}},
    {"BBHELP", clNavy, {"..................", "......######......", ".....##....##.....",
                        ".....##....##.....", "...........##.....", "..........##......",
                        ".........##.......", "........##........", "........##........",
                        "........##........", "..................", "........##........",
                        "........##........", "..................", "..................",
                        "..................", "..................", ".................."}},
};

const GlyphShape* ShapeOf(TBitBtnKind kind) {
  switch (kind) {
    case bkOK:
    case bkYes:
    case bkAll: return &kShapes[0];
    case bkCancel:
    case bkNo:
    case bkAbort: return &kShapes[1];
    case bkHelp: return &kShapes[2];
    default: return nullptr;
  }
}

void RegisterGlyph(const GlyphShape& shape) {
  if (BitmapResourceExists(shape.resource)) return;
  std::vector<TColor> pixels(static_cast<std::size_t>(2 * kGlyph * kGlyph), clOlive);
  for (int y = 0; y < kGlyph; ++y) {
    for (int x = 0; x < kGlyph; ++x) {
      if (shape.rows[static_cast<std::size_t>(y)][x] != '#') continue;
      pixels[static_cast<std::size_t>(y * 2 * kGlyph + x)] = shape.color;
      pixels[static_cast<std::size_t>(y * 2 * kGlyph + kGlyph + x)] = clGray;
    }
  }
  RegisterBitmapResource(shape.resource, 2 * kGlyph, kGlyph, std::move(pixels));
}

}  // namespace

// --- TButton ---

const TypeInfo& TButton::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TButton> b("TButton", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, true, true);
    b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
        .Property("Default", &TButton::Default, &TButton::SetDefault, false)
        .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
    return b.Build();
  }();
  return info;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetControlStyle({csSetCaption, csDoubleClicks, csClickEvents, csCaptureMouse});
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clBtnFace);
}

TButton::~TButton() = default;

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  // Whether this button now answers Enter depends on which control has the focus.
  auto* focused_button = dynamic_cast<TButton*>(GetFocus());
  active_ = focused_button != nullptr && GetParentForm(focused_button) == GetParentForm(this)
                ? focused_button == this
                : default_;
  Invalidate();
}

void TButton::Click() {
  TForm* form = modal_result_ != mrNone ? GetParentForm(this) : nullptr;
  if (form == nullptr) {
    TWinControl::Click();
    return;
  }
  // The form closes with the button's result once the click is handled; a click whose
  // handler fails did not happen, so the form stays as it was.
  const TModalResult previous = form->ModalResult();
  form->SetModalResult(modal_result_);
  try {
    TWinControl::Click();
  } catch (...) {
    form->SetModalResult(previous);
    throw;
  }
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case CM_FOCUSCHANGED: CMFocusChanged(m); return;
    case WM_GETDLGCODE: WMGetDlgCode(m); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: WMLButtonDown(m); return;
    case WM_LBUTTONUP:
      down_ = false;
      TWinControl::WndProc(m);
      return;
    case WM_KEYDOWN: WMKeyDown(m); return;
    case WM_KEYUP: WMKeyUp(m); return;
    default: TWinControl::WndProc(m); return;
  }
}

void TButton::CMDialogKey(TMessage& m) {
  const auto key = static_cast<std::uint16_t>(m.WParam);
  const bool plain = KeyDataToShiftState(m.LParam).Empty();
  if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) && plain && CanFocus()) {
    Click();
    m.Result = 1;
    return;
  }
  m.Result = 0;
}

void TButton::CMFocusChanged(TMessage& m) {
  auto* sender = reinterpret_cast<TWinControl*>(m.LParam);
  auto* button = dynamic_cast<TButton*>(sender);
  const bool active = button != nullptr ? button == this : default_;
  if (active != active_) {
    active_ = active;
    Invalidate();
  }
  m.Result = 0;
}

void TButton::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void TButton::WMLButtonDown(TMessage& m) {
  // A button takes the focus when it is pressed, as the window system's buttons do.
  if (CanFocus() && !Focused()) SetFocus();
  down_ = true;
  TWinControl::WndProc(m);
}

void TButton::WMKeyDown(TMessage& m) {
  TWinControl::WndProc(m);
  if (m.WParam == VK_SPACE) down_ = true;
}

void TButton::WMKeyUp(TMessage& m) {
  const bool was_down = down_;
  TWinControl::WndProc(m);
  // Space clicks when it is released, if the KeyUp handlers left the key alone.
  if (m.WParam == VK_SPACE && was_down) {
    down_ = false;
    Click();
  }
}

void TButton::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  TRect r = ClientRect();
  // A default (active) button has a dark outer frame.
  if (active_) {
    canvas.Brush()->SetColor(clWindowFrame);
    canvas.FrameRect(r);
    InflateRect(r, -1, -1);
  }
  Frame3D(canvas, r, down_ ? clBtnShadow : clBtnHighlight, down_ ? clBtnHighlight : cl3DDkShadow, 1);
  canvas.Brush()->SetColor(Color());
  canvas.FillRect(r);
  const std::string caption = Caption();
  const int x = r.Left + (r.Width() - canvas.TextWidth(caption)) / 2;
  const int y = r.Top + (r.Height() - canvas.TextHeight(caption)) / 2;
  canvas.TextRect(r, x, y, caption);
}

// --- TBitBtn ---

const TypeInfo& TBitBtn::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TBitBtn>("TBitBtn", &TButton::StaticType())
          .Component()
          .Property("Cancel", &TBitBtn::Cancel, &TBitBtn::SetCancel, false)
          .Stored(&TBitBtn::IsCustom)
          .Property("Caption", &TBitBtn::Caption, &TBitBtn::SetCaption)
          .Stored(&TBitBtn::IsCustomCaption)
          .Property("Default", &TBitBtn::Default, &TBitBtn::SetDefault, false)
          .Stored(&TBitBtn::IsCustom)
          .Property("ModalResult", &TBitBtn::ModalResult, &TBitBtn::SetModalResult, mrNone)
          .Stored(&TBitBtn::IsCustom)
          .Property("Glyph", &TBitBtn::Glyph)
          .Stored(&TBitBtn::IsCustom)
          .Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom)
          .Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout, blGlyphLeft)
          .Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin, -1)
          .Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, 1)
          .Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing, 4)
          .Build();
  return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

std::string TBitBtn::KindCaption(TBitBtnKind kind) {
  switch (kind) {
    case bkCustom: return "";
    case bkOK: return "OK";
    case bkCancel: return "Cancel";
    case bkHelp: return "&Help";
    case bkYes: return "&Yes";
    case bkNo: return "&No";
    case bkClose: return "&Close";
    case bkAbort: return "Abort";
    case bkRetry: return "&Retry";
    case bkIgnore: return "&Ignore";
    case bkAll: return "&All";
  }
  return "";
}

TModalResult TBitBtn::KindModalResult(TBitBtnKind kind) {
  switch (kind) {
    case bkOK: return mrOk;
    case bkCancel: return mrCancel;
    case bkYes: return mrYes;
    case bkNo: return mrNo;
    case bkAbort: return mrAbort;
    case bkRetry: return mrRetry;
    case bkIgnore: return mrIgnore;
    case bkAll: return mrAll;
    default: return mrNone;
  }
}

TBitBtnKind TBitBtn::Kind() const {
  if (kind_ != bkCustom) {
    const bool wants_default = kind_ == bkOK || kind_ == bkYes;
    const bool wants_cancel = kind_ == bkCancel || kind_ == bkNo;
    if (wants_default != Default() || wants_cancel != Cancel() ||
        ModalResult() != KindModalResult(kind_)) {
      kind_ = bkCustom;  // the button was changed into a custom one
    }
  }
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind value) {
  if (value == Kind()) return;
  kind_ = value;
  if (value == bkCustom) return;
  SetDefault(value == bkOK || value == bkYes);
  SetCancel(value == bkCancel || value == bkNo);
  SetModalResult(KindModalResult(value));
  SetCaption(KindCaption(value));
  if (const GlyphShape* shape = ShapeOf(value)) {
    RegisterGlyph(*shape);
    glyph_->LoadFromResourceName(shape->resource);
    num_glyphs_ = 2;
  } else {
    TBitmap empty;
    glyph_->Assign(&empty);
    num_glyphs_ = 1;
  }
  Invalidate();
}

bool TBitBtn::IsCustomCaption() const { return Caption() != KindCaption(Kind()); }

void TBitBtn::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == num_glyphs_) return;
  num_glyphs_ = value;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TBitBtn::SetMargin(int value) {
  if (value == margin_ || value < -1) return;
  margin_ = value;
  Invalidate();
}

void TBitBtn::SetSpacing(int value) {
  if (value == spacing_) return;
  spacing_ = value;
  Invalidate();
}

void TBitBtn::Click() {
  TForm* form = GetParentForm(this);
  switch (Kind()) {
    case bkClose:
      if (form != nullptr) {
        form->Close();
        return;
      }
      break;
    case bkHelp:
      if (form != nullptr && form->HelpContext() != 0) {
        Application->HelpContext(form->HelpContext());
        return;
      }
      break;
    default:
      break;
  }
  TButton::Click();
}

void TBitBtn::PaintWindow(HDC dc) {
  TButton::PaintWindow(dc);
  if (glyph_->Empty()) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  const int glyph_height = glyph_->Height();
  const int x = margin_ >= 0 ? margin_ : 4;
  TBitmap glyph;  // a glyph shows the button face around its picture
  glyph.Assign(glyph_.get());
  glyph.SetTransparent(true);
  canvas.Draw(x, (Height() - glyph_height) / 2, &glyph);
}

}  // namespace vantor
