#include <vantor/platform/ui/combo_box.h>

#include <algorithm>
#include <cwctype>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

namespace {

char32_t Lower(char32_t c) { return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c))); }

bool StartsWithChar(const std::string& text, char32_t c) {
  const std::u32string chars = DecodeUtf8(text);
  return !chars.empty() && Lower(chars.front()) == Lower(c);
}

}  // namespace

const TypeInfo& TComboBox::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TComboBox> b("TComboBox", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, false, true);
    // Style first: a list-style box reads its Text as the choice of an item.
    b.Property("Style", &TComboBox::Style, &TComboBox::SetStyle, csDropDown)
        .Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
        .Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight)
        .Property("Items", &TComboBox::Items)
        .Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength, 0)
        .Property("Text", &TComboBox::GetText, &TComboBox::SetText)
        .Event("OnChange", &TComboBox::OnChange)
        .Event("OnDropDown", &TComboBox::OnDropDown);
    return b.Build();
  }();
  return info;
}

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TStrings>()) {
  SetControlStyle({csDoubleClicks, csCaptureMouse, csFixedHeight});
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  items_->OnChange = [this](TStrings*) { ItemsChanged(); };
}

TComboBox::~TComboBox() { items_->OnChange = nullptr; }

void TComboBox::CreateParams(TCreateParams& p) const {
  TWinControl::CreateParams(p);
  p.ExStyle |= Ctl3D() ? WS_EX_CLIENTEDGE : 0;
  if (!Ctl3D()) p.Style |= WS_BORDER;
}

void TComboBox::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  // A list box shows only items' texts.
  if (value == csDropDownList && item_index_ < 0) text_.clear();
  Invalidate();
}

void TComboBox::ItemsChanged() {
  if (item_index_ >= items_->Count()) {
    item_index_ = -1;
    if (style_ == csDropDownList) text_.clear();
  }
  list_top_ = std::clamp(list_top_, 0, std::max(0, items_->Count() - 1));
  Invalidate();
}

void TComboBox::SetItemIndex(int value) {
  if (value < -1 || value >= items_->Count()) {
    throw EListError("List index out of bounds (" + std::to_string(value) + ")");
  }
  if (value == item_index_) return;
  item_index_ = value;
  text_ = value >= 0 ? items_->Strings(value) : std::string();
  Invalidate();
}

void TComboBox::SetText(const std::string& text) {
  const int index = items_->IndexOf(text);
  if (style_ == csDropDownList) {
    item_index_ = index;
    text_ = index >= 0 ? items_->Strings(index) : std::string();
  } else {
    text_ = text;
    item_index_ = index;
  }
  Invalidate();
}

void TComboBox::SetItemHeight(int value) {
  if (value == item_height_ || value <= 0) return;
  item_height_ = value;
  Invalidate();
}

void TComboBox::SetDroppedDown(bool value) {
  if (value == dropped_down_) return;
  if (value) DropDown();
  dropped_down_ = value;
  if (value) {
    // The open list starts at the chosen item.
    const int shown = std::max(1, std::min(drop_down_count_, items_->Count()));
    list_top_ = std::clamp(item_index_, 0, std::max(0, items_->Count() - shown));
    SetMouseCapture(true);
  } else {
    SetMouseCapture(false);
  }
  Invalidate();
}

TRect TComboBox::DropDownItemRect(int index) const {
  const int top = Height() + (index - list_top_) * item_height_;
  return {0, top, Width(), top + item_height_};
}

void TComboBox::Change() { OnChange(this); }
void TComboBox::DropDown() { OnDropDown(this); }

void TComboBox::UserChoose(int index) {
  if (index < 0 || index >= items_->Count()) return;
  item_index_ = index;
  text_ = items_->Strings(index);
  Invalidate();
  Click();
  Change();
}

void TComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(m); return;
    case WM_CHAR: WMChar(m); return;
    case WM_LBUTTONDOWN: WMLButtonDown(m); return;
    case WM_GETDLGCODE: WMGetDlgCode(m); return;
    case WM_KILLFOCUS:
      SetDroppedDown(false);
      TWinControl::WndProc(m);
      return;
    default: TWinControl::WndProc(m); return;
  }
}

void TComboBox::WMGetDlgCode(TMessage& m) {
  // An open list takes Enter and Escape itself: they close it.
  m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (dropped_down_ ? DLGC_WANTALLKEYS : 0);
}

void TComboBox::WMKeyDown(TMessage& m) {
  TWinControl::WndProc(m);
  const auto key = static_cast<std::uint16_t>(m.WParam);
  if (key == 0) return;
  const TShiftState shift = KeyDataToShiftState(m.LParam);
  if (key == VK_F4 || ((key == VK_DOWN || key == VK_UP) && shift.Contains(ssAlt))) {
    SetDroppedDown(!dropped_down_);
    return;
  }
  if (dropped_down_ && (key == VK_RETURN || key == VK_ESCAPE)) {
    SetDroppedDown(false);
    return;
  }
  if (items_->Count() == 0) return;
  const int last = items_->Count() - 1;
  int next = item_index_;
  switch (key) {
    case VK_DOWN:
    case VK_RIGHT:
      if (key == VK_RIGHT && style_ != csDropDownList) return;  // moves the caret in an edit
      next = item_index_ + 1;
      break;
    case VK_UP:
    case VK_LEFT:
      if (key == VK_LEFT && style_ != csDropDownList) return;
      next = item_index_ < 0 ? 0 : item_index_ - 1;
      break;
    case VK_HOME:
      if (style_ != csDropDownList) return;
      next = 0;
      break;
    case VK_END:
      if (style_ != csDropDownList) return;
      next = last;
      break;
    case VK_PRIOR: next = item_index_ - (drop_down_count_ - 1); break;
    case VK_NEXT: next = item_index_ + (drop_down_count_ - 1); break;
    default: return;
  }
  next = std::clamp(next, 0, last);
  if (next != item_index_) UserChoose(next);
}

void TComboBox::WMChar(TMessage& m) {
  TWinControl::WndProc(m);  // KeyPress handlers may change or consume the character
  const auto ch = static_cast<char32_t>(m.WParam);
  if (ch == 0 || ch == 13 || ch == 27 || ch == 9) return;
  if (style_ == csDropDownList) {
    if (ch < 32 || items_->Count() == 0) return;
    for (int i = 1; i <= items_->Count(); ++i) {
      const int candidate = (std::max(item_index_, -1) + i) % items_->Count();
      if (StartsWithChar(items_->Strings(candidate), ch)) {
        if (candidate != item_index_) UserChoose(candidate);
        return;
      }
    }
    return;
  }
  // An editable box: the character edits the text at its end (Backspace removes one).
  std::u32string chars = DecodeUtf8(text_);
  if (ch == 8) {
    if (chars.empty()) return;
    chars.pop_back();
  } else if (ch >= 32) {
    if (max_length_ > 0 && static_cast<int>(chars.size()) >= max_length_) return;
    chars.push_back(ch);
  } else {
    return;
  }
  text_ = EncodeUtf8(chars);
  item_index_ = items_->IndexOf(text_);
  Invalidate();
  Change();
}

void TComboBox::WMLButtonDown(TMessage& m) {
  const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  if (dropped_down_) {
    // A click on the open list chooses; anywhere else it just closes.
    const int shown = std::min(drop_down_count_, items_->Count());
    const TRect list{0, Height(), Width(), Height() + shown * item_height_};
    SetDroppedDown(false);
    if (PtInRect(list, p)) UserChoose(list_top_ + (p.Y - Height()) / item_height_);
    TWinControl::WndProc(m);
    return;
  }
  if (CanFocus() && !Focused()) SetFocus();
  TWinControl::WndProc(m);
  // The button at the right opens the list; in a list-style box the whole box does.
  const int button = GetSystemMetrics(SM_CXVSCROLL);
  if (style_ == csDropDownList || p.X >= ClientWidth() - button) SetDroppedDown(true);
}

void TComboBox::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  const TRect r = ClientRect();
  canvas.Brush()->SetColor(Color());
  canvas.FillRect(r);
  const int button = GetSystemMetrics(SM_CXVSCROLL);
  TRect text = r;
  text.Right -= button;
  canvas.TextRect(text, 2, (r.Height() - canvas.TextHeight(text_)) / 2, text_);
  TRect arrow{r.Right - button, r.Top, r.Right, r.Bottom};
  Frame3D(canvas, arrow, clBtnHighlight, cl3DDkShadow, 1);
  canvas.Brush()->SetColor(clBtnFace);
  canvas.FillRect(arrow);
  // The drop-down arrow: a small black triangle in the middle of the button.
  canvas.Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
  const int cx = (arrow.Left + arrow.Right) / 2;
  const int cy = (arrow.Top + arrow.Bottom) / 2 - 1;
  for (int i = 0; i < 4; ++i) {
    canvas.MoveTo(cx - 3 + i, cy + i);
    canvas.LineTo(cx + 4 - i, cy + i);
  }
}

}  // namespace vantor
