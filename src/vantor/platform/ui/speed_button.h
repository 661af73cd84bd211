#pragma once
// TSpeedButton: a flat-or-raised button without a window of its own, showing a glyph
// (and an optional caption). The glyph bitmap holds NumGlyphs images side by side: up,
// disabled, down, and stuck down; the button shows the one for its state, centred, one
// pixel lower and to the right while pressed. With a GroupIndex the button stays down
// when clicked, and the other buttons of its group come up.

#include <cstdint>
#include <memory>

#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/button_layout.h>
#include <vantor/platform/ui/control.h>

namespace vantor {

enum class TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };
using enum TButtonState;

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* glyph) { glyph_->Assign(glyph); }
  // 1 to 4 images in the glyph.
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool Down() const { return down_; }
  void SetDown(bool value);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int value) { group_index_ = value; }
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value) { allow_all_up_ = value; }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  TButtonState State() const { return state_; }
  // Fills `image` with the glyph's image for a state (the up image when the glyph has
  // no other; empty without a glyph).
  void GlyphImage(TButtonState state, TBitmap& image) const;

  void Click() override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Face (unless flat and up), then the glyph and caption.
  void Paint() override;

 private:
  void UpdateExclusive();

  std::unique_ptr<TBitmap> glyph_;
  int num_glyphs_ = 1;
  bool flat_ = false;
  bool down_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  TButtonState state_ = bsUp;
  bool dragging_ = false;
};

}  // namespace vantor
