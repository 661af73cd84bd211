#pragma once
// TCustomMaskEdit: an edit whose input follows an edit mask.
//
// A mask has up to three fields separated by ';': the mask itself, whether the
// literals are saved in Text ('0' says no; anything else, or no field, says yes), and
// the blank character shown in empty places (default '_'). In the mask:
//   0 digit, required       9 digit, optional        # digit, '+' or '-', optional
//   L letter, required      l letter, optional
//   A letter or digit, required   a letter or digit, optional
//   C any character, required     c any character, optional
//   >  upper-case what follows    <  lower-case what follows   <>  no case change
//   \  the next character is a literal      _  a literal blank
//   :  the time separator, /  the date separator (both from the locale settings)
//   !  empty optional places are kept at the start of Text instead of at its end
// and every other character is a literal. EditText is what the window shows: every
// literal, and the blank character in empty places. Text is the value: with saved
// literals EditText with blanks as spaces; without, only the entered characters, with
// the empty places at the end (or start, with '!') dropped. Typing overwrites the place
// at the caret, refuses (with a beep) what the place does not accept, skips literals,
// and typing a literal jumps past it. Leaving a modified edit with a required place
// empty raises EDBEditError and keeps the focus in the edit.

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/custom_edit.h>

namespace vantor {

// Input that does not complete the edit mask.
class EDBEditError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EDBEditError"; }
};

// One place of a parsed edit mask.
struct TMaskPlace {
  enum Kind : std::uint8_t { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, AnyChar };
  enum Case : std::uint8_t { NoCase, Upper, Lower };
  Kind kind = Literal;
  bool required = false;
  Case letter_case = NoCase;
  char32_t literal = 0;  // the character of a literal place
};

// A parsed edit mask.
struct TEditMask {
  std::vector<TMaskPlace> places;
  bool save_literals = true;
  char32_t blank = U'_';
  bool reverse = false;  // '!'

  static TEditMask Parse(std::string_view mask);
  // True when `ch` may stand in the place.
  static bool Accepts(const TMaskPlace& place, char32_t ch);
  // The display (one character per place) for a value, with `blank` in empty places.
  // The value may hold the literals or not; literals that match are stepped over.
  std::u32string Display(std::u32string_view value, char32_t blank) const;
  // The value of a display: see the header comment.
  std::u32string Value(std::u32string_view display, char32_t blank) const;
  // The characters entered in the input places of a display, without the literals; the
  // empty places at the end (at the start with '!') are dropped, the others are spaces.
  // This is the value when the literals are not saved.
  std::u32string Entered(std::u32string_view display, char32_t blank) const;
};

// The mask's literals-saved field: true unless it is '0'.
bool MaskGetMaskSave(std::string_view mask);
// The mask's blank character ('_' unless the third field names one).
char32_t MaskGetMaskBlank(std::string_view mask);
// `value` as the Text of an edit with this mask holds it once its Text is set to it:
// with saved literals, the literals in place and blanks as spaces; without, only the
// entered characters. So FormatMaskText(mask, "") is the Text of an edit with nothing
// entered, for every form of mask (and "" without a mask).
std::string FormatMaskText(std::string_view edit_mask, std::string_view value);

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  const std::string& EditMask() const { return edit_mask_; }
  // Keeps the Text, shown through the new mask. OnChange fires only when the new mask
  // changes the characters entered (it has fewer places than they need).
  void SetEditMask(const std::string& mask);
  bool IsMasked() const { return !edit_mask_.empty(); }
  // What the window shows: literals and blanks included.
  std::string EditText() const { return WindowText(); }
  void SetEditText(const std::string& text);
  std::string GetText() const override;
  void SetText(const std::string& text) override;
  char32_t MaskBlank() const { return mask_.blank; }
  bool MaskSave() const { return mask_.save_literals; }

  // Raises EDBEditError (after a beep, with the focus back in the edit and the caret at
  // the first empty required place) when the edit was modified and its text is not
  // complete for the mask.
  virtual void ValidateEdit();
  // True when every required place of `edit_text` is filled; otherwise `pos` is the
  // first empty required place.
  virtual bool Validate(const std::string& edit_text, int& pos) const;

  void WndProc(TMessage& message) override;

 protected:
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void KeyPress(char32_t& key) override;

 private:
  void InputChar(char32_t ch);
  void BlankSelection(std::u32string& display) const;
  int NextInput(int pos) const;      // first input place at or after pos, or -1
  int PreviousInput(int pos) const;  // last input place before pos, or -1
  int SkipLiterals(int pos) const;   // pos moved forward over literal places
  // The characters entered in a display of the current mask (all of it unmasked).
  std::u32string Entered(std::u32string_view display) const;

  std::string edit_mask_;
  TEditMask mask_;
  std::string old_value_;
};

// The masked edit with its properties published.
class TMaskEdit : public TCustomMaskEdit {
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
