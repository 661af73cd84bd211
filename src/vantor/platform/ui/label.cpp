#include <vantor/platform/ui/label.h>

#include <algorithm>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/font_metrics.h>
#include <vantor/platform/ui/hotkey.h>
#include <vantor/platform/ui/menus.h>
#include <vantor/platform/ui/publishing.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

const TypeInfo& TCustomLabel::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCustomLabel>("TCustomLabel", &TGraphicControl::StaticType()).Build();
  return info;
}

const TypeInfo& TLabel::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TLabel> b("TLabel", &TCustomLabel::StaticType());
    b.Component()
        .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
        .Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, taLeftJustify)
        .Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, true)
        .Property("Caption", &TControl::Caption, &TControl::SetCaption)
        .Property("Color", &TControl::Color, &TControl::SetColor)
        .Idents(ColorValueOfIdent, ColorIdentOfValue)
        .Stored(&TControl::IsColorStored)
        .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
        .Property("Font", &TControl::Font)
        .Stored(&TControl::IsFontStored)
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
        .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
        .Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar,
                  true)
        .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Stored(&TControl::IsShowHintStored)
        .Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
        .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
    PublishMouseEvents(b);
    return b.Build();
  }();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csOpaque, csReplicatable});
  SetBounds(0, 0, 65, 17);
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
  if (control == focus_control_) return;
  if (focus_control_ != nullptr) RemoveFreeNotification(focus_control_);
  focus_control_ = control;
  if (control != nullptr) FreeNotification(control);
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == show_accel_char_) return;
  show_accel_char_ = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  TControlStyle style = ControlStyle();
  if (value) {
    style.Exclude(csOpaque);
  } else {
    style.Include(csOpaque);
  }
  SetControlStyle(style);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == word_wrap_) return;
  word_wrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

std::string TCustomLabel::DisplayText() const {
  return show_accel_char_ ? StripHotkey(Caption()) : Caption();
}

std::vector<std::string> TCustomLabel::Lines() const {
  std::vector<std::string> paragraphs;
  const std::string text = DisplayText();
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      paragraphs.push_back(line);
      line.clear();
      continue;
    }
    line += text[i];
  }
  paragraphs.push_back(line);
  if (!word_wrap_) return paragraphs;
  // Break each paragraph at blanks so that every line fits the width (a single word
  // wider than the label keeps a line of its own).
  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    std::string current;
    std::size_t pos = 0;
    while (pos <= paragraph.size()) {
      std::size_t blank = paragraph.find(' ', pos);
      if (blank == std::string::npos) blank = paragraph.size();
      const std::string word = paragraph.substr(pos, blank - pos);
      const std::string candidate = current.empty() ? word : current + " " + word;
      if (!current.empty() && TextWidth(*Font(), candidate) > Width()) {
        lines.push_back(current);
        current = word;
      } else {
        current = candidate;
      }
      pos = blank + 1;
    }
    lines.push_back(current);
  }
  return lines;
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || ComponentState().Contains(csLoading) || Destroying()) return;
  std::vector<std::string> lines = Lines();
  int width = 0;
  for (const std::string& line : lines) {
    // An empty caption measures as one blank, so the label never collapses.
    width = std::max(width, TextWidth(*Font(), line.empty() && lines.size() == 1 ? " " : line));
  }
  if (word_wrap_) width = Width();
  const int height = static_cast<int>(lines.size()) * TextHeight(*Font());
  int left = Left();
  if (alignment_ == taRightJustify && !word_wrap_) left += Width() - width;
  SetBounds(left, Top(), width, height);
}

void TCustomLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::WndProc(m);
      AdjustBounds();
      return;
    case CM_DIALOGCHAR: {
      // The accelerator: the first character after a single '&'.
      const std::string caption = Caption();
      if (!show_accel_char_ || !Enabled() || focus_control_ == nullptr) break;
      for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
          ++i;
          continue;
        }
        const std::u32string rest = DecodeUtf8(caption.substr(i + 1));
        if (!rest.empty() &&
            UpperCaseChar(rest[0]) == UpperCaseChar(static_cast<char32_t>(m.WParam)) &&
            focus_control_->CanFocus()) {
          focus_control_->SetFocus();
          m.Result = 1;
          return;
        }
        break;
      }
      break;
    }
    default:
      break;
  }
  TGraphicControl::WndProc(m);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client = GetClientRect();
  if (!transparent_) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetFont(Font());
  const int line_height = canvas->TextHeight("A");
  int y = 0;
  for (const std::string& line : Lines()) {
    const int width = canvas->TextWidth(line);
    int x = 0;
    if (alignment_ == taRightJustify) x = client.Width() - width;
    if (alignment_ == taCenter) x = (client.Width() - width) / 2;
    if (Enabled()) {
      canvas->TextRect(client, x, y, line);
    } else {
      // Disabled text: an embossed highlight under the grey text.
      canvas->Font()->SetColor(clBtnHighlight);
      canvas->TextRect(client, x + 1, y + 1, line);
      canvas->Font()->SetColor(clBtnShadow);
      canvas->TextRect(client, x, y, line);
    }
    y += line_height;
  }
}

}  // namespace vantor
