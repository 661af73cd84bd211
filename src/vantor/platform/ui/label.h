#pragma once
// TLabel: text on the parent's surface. With AutoSize (the default) the label sizes
// itself to its caption in its font, measured with the font-metrics table: the width
// of the widest line and one text height per line (an empty caption measures as one
// blank). A right-justified label keeps its right edge when it resizes. With
// ShowAccelChar an '&' marks the next character as the accelerator ("&&" shows one
// '&'); the accelerator focuses FocusControl.

#include <string>
#include <vector>

#include <vantor/platform/ui/control.h>

namespace vantor {

// The label with its properties unpublished, the base of TLabel.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* control);
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);

  // The caption as shown: accelerator marks removed.
  std::string DisplayText() const;
  // The lines the caption is drawn in (broken at line breaks, and at blanks to fit the
  // width when WordWrap is on).
  std::vector<std::string> Lines() const;

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  void WndProc(TMessage& message) override;

 protected:
  // Sizes the label to its text when AutoSize is on.
  void AdjustBounds();
  void Paint() override;

 private:
  bool auto_size_ = true;
  TAlignment alignment_ = taLeftJustify;
  TWinControl* focus_control_ = nullptr;
  bool show_accel_char_ = true;
  bool transparent_ = false;
  bool word_wrap_ = false;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
