#pragma once
// TGroupBox: a framed container with its caption set into the top edge. Controls placed
// in it are aligned within the frame, below the caption.

#include <vantor/platform/ui/custom_control.h>

namespace vantor {

class TGroupBox : public TCustomControl {
 public:
  explicit TGroupBox(TComponent* owner);
  ~TGroupBox() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The client area less the caption's height on top and the frame all round.
  void AdjustClientRect(TRect& rect) const override;

 protected:
  void Paint() override;
};

}  // namespace vantor
