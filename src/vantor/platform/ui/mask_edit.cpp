#include <vantor/platform/ui/mask_edit.h>

#include <algorithm>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

namespace {

// The mask's fields, split at ';' that is not escaped.
std::vector<std::u32string> Fields(std::string_view mask) {
  const std::u32string m = DecodeUtf8(mask);
  std::vector<std::u32string> fields(1);
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] == U'\\' && i + 1 < m.size() && fields.size() == 1) {
      fields.back() += m[i];
      fields.back() += m[++i];
      continue;
    }
    if (m[i] == U';') {
      fields.emplace_back();
      continue;
    }
    fields.back() += m[i];
  }
  return fields;
}

bool IsLetter(char32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return c >= 0xC0 && UpperCaseChar(c) != LowerCaseChar(c);
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

}  // namespace

TEditMask TEditMask::Parse(std::string_view mask) {
  TEditMask result;
  const std::vector<std::u32string> fields = Fields(mask);
  if (fields.size() > 1 && !fields[1].empty() && fields[1][0] == U'0') result.save_literals = false;
  if (fields.size() > 2 && !fields[2].empty()) result.blank = fields[2][0];
  const std::u32string& m = fields[0];
  TMaskPlace::Case current = TMaskPlace::NoCase;
  for (std::size_t i = 0; i < m.size(); ++i) {
    const char32_t c = m[i];
    TMaskPlace place;
    place.letter_case = current;
    switch (c) {
      case U'!': result.reverse = true; continue;
      case U'>':
        if (i + 1 < m.size() && m[i + 1] == U'<') {
          current = TMaskPlace::NoCase;
          ++i;
        } else {
          current = TMaskPlace::Upper;
        }
        continue;
      case U'<': current = TMaskPlace::Lower; continue;
      case U'\\':
        if (i + 1 >= m.size()) continue;
        place.literal = m[++i];
        break;
      case U'0': place.kind = TMaskPlace::Digit; place.required = true; break;
      case U'9': place.kind = TMaskPlace::Digit; break;
      case U'#': place.kind = TMaskPlace::DigitOrSign; break;
      case U'L': place.kind = TMaskPlace::Letter; place.required = true; break;
      case U'l': place.kind = TMaskPlace::Letter; break;
      case U'A': place.kind = TMaskPlace::LetterOrDigit; place.required = true; break;
      case U'a': place.kind = TMaskPlace::LetterOrDigit; break;
      case U'C': place.kind = TMaskPlace::AnyChar; place.required = true; break;
      case U'c': place.kind = TMaskPlace::AnyChar; break;
      case U':': place.literal = static_cast<unsigned char>(CurrentFormat().time_separator); break;
      case U'/': place.literal = static_cast<unsigned char>(CurrentFormat().date_separator); break;
      case U'_': place.literal = U' '; break;
      default: place.literal = c; break;
    }
    result.places.push_back(place);
  }
  return result;
}

bool TEditMask::Accepts(const TMaskPlace& place, char32_t ch) {
  switch (place.kind) {
    case TMaskPlace::Literal: return ch == place.literal;
    case TMaskPlace::Digit: return IsDigit(ch);
    case TMaskPlace::DigitOrSign: return IsDigit(ch) || ch == U'+' || ch == U'-';
    case TMaskPlace::Letter: return IsLetter(ch);
    case TMaskPlace::LetterOrDigit: return IsLetter(ch) || IsDigit(ch);
    case TMaskPlace::AnyChar: return ch >= 32;
  }
  return false;
}

std::u32string TEditMask::Display(std::u32string_view value, char32_t blank) const {
  std::u32string display(places.size(), blank);
  auto place_char = [&](const TMaskPlace& place, std::size_t& p, bool& more) -> char32_t {
    if (place.kind == TMaskPlace::Literal) {
      if (more && value[p] == place.literal) more = false;  // consumed
      return place.literal;
    }
    char32_t c = more ? value[p] : blank;
    if (more) more = false;
    return c == U' ' ? blank : c;
  };
  if (!reverse) {
    std::size_t p = 0;
    for (std::size_t i = 0; i < places.size(); ++i) {
      bool more = p < value.size();
      const bool had = more;
      display[i] = place_char(places[i], p, more);
      if (had && !more) ++p;
    }
    return display;
  }
  // Right-justified: the value's last character goes to the last place, so a short
  // value leaves the first places empty.
  std::size_t remaining = value.size();
  for (std::size_t i = places.size(); i-- > 0;) {
    std::size_t p = remaining > 0 ? remaining - 1 : 0;
    bool more = remaining > 0;
    const bool had = more;
    display[i] = place_char(places[i], p, more);
    if (had && !more) --remaining;
  }
  return display;
}

std::u32string TEditMask::Value(std::u32string_view display, char32_t blank) const {
  if (!save_literals) return Entered(display, blank);
  std::u32string out;
  for (std::size_t i = 0; i < places.size(); ++i) {
    // A literal is itself even when it looks like the blank character.
    if (places[i].kind == TMaskPlace::Literal) {
      out += places[i].literal;
      continue;
    }
    const char32_t c = i < display.size() ? display[i] : blank;
    out += c == blank ? U' ' : c;
  }
  return out;
}

std::u32string TEditMask::Entered(std::u32string_view display, char32_t blank) const {
  std::u32string out;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (places[i].kind == TMaskPlace::Literal) continue;
    out += i < display.size() ? display[i] : blank;
  }
  if (reverse) {
    const std::size_t first = out.find_first_not_of(blank);
    out.erase(0, first == std::u32string::npos ? out.size() : first);
  } else {
    const std::size_t last = out.find_last_not_of(blank);
    out.erase(last == std::u32string::npos ? 0 : last + 1);
  }
  std::replace(out.begin(), out.end(), blank, U' ');
  return out;
}

bool MaskGetMaskSave(std::string_view mask) { return TEditMask::Parse(mask).save_literals; }

char32_t MaskGetMaskBlank(std::string_view mask) { return TEditMask::Parse(mask).blank; }

std::string FormatMaskText(std::string_view edit_mask, std::string_view value) {
  if (edit_mask.empty()) return std::string(value);
  const TEditMask mask = TEditMask::Parse(edit_mask);
  return EncodeUtf8(mask.Value(mask.Display(DecodeUtf8(value), mask.blank), mask.blank));
}

// ---------------------------------------------------------------------------

const TypeInfo& TCustomMaskEdit::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCustomMaskEdit>("TCustomMaskEdit", &TCustomEdit::StaticType()).Build();
  return info;
}

const TypeInfo& TMaskEdit::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TMaskEdit> b("TMaskEdit", &TCustomMaskEdit::StaticType());
    b.Component();
    PublishEditBoxLook(b)
        .Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask)
        .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Property("Font", &TControl::Font)
        .Stored(&TControl::IsFontStored);
    PublishEditBoxEntry(b);
    return b.Build();
  }();
  return info;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& mask) {
  if (mask == edit_mask_) return;
  const std::string text = GetText();
  const std::u32string entered = Entered(DecodeUtf8(WindowText()));
  edit_mask_ = mask;
  mask_ = TEditMask::Parse(mask);
  SetMaxLength(IsMasked() ? static_cast<int>(mask_.places.size()) : 0);
  if (ComponentState().Contains(csLoading)) return;
  // Show the same value through the new mask. That is a new look, not a new text: while
  // the characters entered stay the same (an empty edit gets the new mask's blanks)
  // nothing is told, as setting an unchanged text tells nothing; a mask that cannot hold
  // them all changes the text as the program would set it.
  const std::string shown =
      IsMasked() ? EncodeUtf8(mask_.Display(DecodeUtf8(text), mask_.blank)) : text;
  if (Entered(DecodeUtf8(shown)) == entered) {
    ReshowWindowText(shown);
  } else {
    TCustomEdit::SetText(shown);
  }
}

std::u32string TCustomMaskEdit::Entered(std::u32string_view display) const {
  return IsMasked() ? mask_.Entered(display, mask_.blank) : std::u32string(display);
}

std::string TCustomMaskEdit::GetText() const {
  if (!IsMasked()) return WindowText();
  return EncodeUtf8(mask_.Value(DecodeUtf8(WindowText()), mask_.blank));
}

void TCustomMaskEdit::SetText(const std::string& text) {
  if (!IsMasked()) {
    TCustomEdit::SetText(text);
    return;
  }
  TCustomEdit::SetText(EncodeUtf8(mask_.Display(DecodeUtf8(text), mask_.blank)));
}

void TCustomMaskEdit::SetEditText(const std::string& text) {
  if (!IsMasked()) {
    TCustomEdit::SetText(text);
    return;
  }
  // One character per place; literal places always show their literal.
  std::u32string in = DecodeUtf8(text);
  std::u32string display;
  for (std::size_t i = 0; i < mask_.places.size(); ++i) {
    const TMaskPlace& place = mask_.places[i];
    char32_t c = i < in.size() ? in[i] : mask_.blank;
    if (c == U' ') c = mask_.blank;
    display += place.kind == TMaskPlace::Literal ? place.literal : c;
  }
  TCustomEdit::SetText(EncodeUtf8(display));
}

bool TCustomMaskEdit::Validate(const std::string& edit_text, int& pos) const {
  const std::u32string display = DecodeUtf8(edit_text);
  for (std::size_t i = 0; i < mask_.places.size(); ++i) {
    const TMaskPlace& place = mask_.places[i];
    if (place.kind == TMaskPlace::Literal) continue;
    const char32_t c = i < display.size() ? display[i] : mask_.blank;
    const bool empty = c == mask_.blank || c == U' ';
    if ((place.required && empty) || (!empty && !TEditMask::Accepts(place, c))) {
      pos = static_cast<int>(i);
      return false;
    }
  }
  pos = 0;
  return true;
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  int pos = 0;
  if (Validate(EditText(), pos)) return;
  if (!ComponentState().Contains(csDesigning) && CanFocus()) SetFocus();
  SetSelStart(pos);
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

int TCustomMaskEdit::NextInput(int pos) const {
  for (int i = std::max(0, pos); i < static_cast<int>(mask_.places.size()); ++i) {
    if (mask_.places[static_cast<std::size_t>(i)].kind != TMaskPlace::Literal) return i;
  }
  return -1;
}

int TCustomMaskEdit::PreviousInput(int pos) const {
  for (int i = std::min(pos, static_cast<int>(mask_.places.size())) - 1; i >= 0; --i) {
    if (mask_.places[static_cast<std::size_t>(i)].kind != TMaskPlace::Literal) return i;
  }
  return -1;
}

int TCustomMaskEdit::SkipLiterals(int pos) const {
  const int next = NextInput(pos);
  return next < 0 ? static_cast<int>(mask_.places.size()) : next;
}

void TCustomMaskEdit::BlankSelection(std::u32string& display) const {
  const int end = SelStart() + SelLength();
  for (int i = SelStart(); i < end && i < static_cast<int>(display.size()); ++i) {
    if (mask_.places[static_cast<std::size_t>(i)].kind != TMaskPlace::Literal) {
      display[static_cast<std::size_t>(i)] = mask_.blank;
    }
  }
}

void TCustomMaskEdit::InputChar(char32_t ch) {
  std::u32string display = DecodeUtf8(WindowText());
  const int start = SelStart();
  const int target = NextInput(start);
  if (target >= 0 && TEditMask::Accepts(mask_.places[static_cast<std::size_t>(target)], ch)) {
    BlankSelection(display);
    const TMaskPlace& place = mask_.places[static_cast<std::size_t>(target)];
    if (place.letter_case == TMaskPlace::Upper) ch = UpperCaseChar(ch);
    if (place.letter_case == TMaskPlace::Lower) ch = LowerCaseChar(ch);
    display[static_cast<std::size_t>(target)] = ch;
    ReplaceWindowText(EncodeUtf8(display), SkipLiterals(target + 1));
    return;
  }
  // Typing a literal moves past the next place that shows it.
  for (int i = start; i < static_cast<int>(mask_.places.size()); ++i) {
    const TMaskPlace& place = mask_.places[static_cast<std::size_t>(i)];
    if (place.kind == TMaskPlace::Literal && place.literal == ch) {
      SetCaret(SkipLiterals(i + 1), false);
      return;
    }
  }
  MessageBeep(0);
}

void TCustomMaskEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomEdit::KeyDown(key, shift);
  if (!IsMasked() || key == 0 || ReadOnly()) return;
  const int size = static_cast<int>(mask_.places.size());
  switch (key) {
    case VK_LEFT: {
      const int prev = PreviousInput(Caret());
      SetCaret(prev < 0 ? Caret() : prev, shift.Contains(ssShift));
      break;
    }
    case VK_RIGHT: SetCaret(std::min(size, SkipLiterals(Caret() + 1)), shift.Contains(ssShift)); break;
    case VK_HOME: SetCaret(SkipLiterals(0), shift.Contains(ssShift)); break;
    case VK_END: {
      const int last = PreviousInput(size);
      SetCaret(last < 0 ? size : last + 1, shift.Contains(ssShift));
      break;
    }
    case VK_DELETE: {
      std::u32string display = DecodeUtf8(WindowText());
      if (SelLength() > 0) {
        BlankSelection(display);
      } else if (const int place = NextInput(Caret()); place >= 0) {
        display[static_cast<std::size_t>(place)] = mask_.blank;
      }
      ReplaceWindowText(EncodeUtf8(display), SelStart());
      break;
    }
    default: return;
  }
  key = 0;
}

void TCustomMaskEdit::KeyPress(char32_t& key) {
  TCustomEdit::KeyPress(key);  // the application's OnKeyPress sees the key first
  if (!IsMasked() || key == 0 || ReadOnly()) return;
  switch (key) {
    case 8: {  // Backspace empties the place before the caret
      std::u32string display = DecodeUtf8(WindowText());
      if (SelLength() > 0) {
        BlankSelection(display);
        ReplaceWindowText(EncodeUtf8(display), SelStart());
      } else if (const int place = PreviousInput(Caret()); place >= 0) {
        display[static_cast<std::size_t>(place)] = mask_.blank;
        ReplaceWindowText(EncodeUtf8(display), place);
      }
      key = 0;
      return;
    }
    case 27:  // Escape abandons the changes made since the edit was entered
      if (Modified()) {
        SetEditText(old_value_);
        SelectAll();
      }
      key = 0;
      return;
    case 3:   // Ctrl+C
    case 22:  // Ctrl+V
    case 24:  // Ctrl+X
      return;
    default:
      if (key < 32) return;  // Enter, Tab and the other controls go on unchanged
      InputChar(key);
      key = 0;
  }
}

void TCustomMaskEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_ENTER:
      old_value_ = EditText();
      TCustomEdit::WndProc(m);
      if (IsMasked() && SelLength() == 0) SetCaret(SkipLiterals(0), false);
      return;
    case CM_EXIT:
      if (IsMasked() && !ComponentState().Contains(csDesigning)) ValidateEdit();
      TCustomEdit::WndProc(m);
      return;
    default:
      TCustomEdit::WndProc(m);
      return;
  }
}

}  // namespace vantor
