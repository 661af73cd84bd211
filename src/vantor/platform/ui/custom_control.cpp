#include <vantor/platform/ui/custom_control.h>

namespace vantor {

const TypeInfo& TCustomControl::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticType()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->SetHandle(dc);
  struct Release {
    TControlCanvas* c;
    ~Release() { c->FreeHandle(); }
  } release{canvas_.get()};
  Paint();
}

}  // namespace vantor
