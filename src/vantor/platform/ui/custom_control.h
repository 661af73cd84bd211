#pragma once
// TCustomControl: a windowed control that paints itself on its Canvas (panels, the
// scrolling boxes). Paint is called with the canvas bound to the window's surface.

#include <memory>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace vantor
