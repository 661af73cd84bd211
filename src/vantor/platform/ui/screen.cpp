#include <vantor/platform/ui/screen.h>

#include <algorithm>

#include <vantor/platform/core/reader.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/window_host.h>
#include <vantor/platform/rtl/identifiers.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

const TypeInfo& TScreen::StaticType() {
  static const TypeInfo info = TypeBuilder<TScreen>("TScreen", &TComponent::StaticType()).Build();
  return info;
}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner),
      width_(GetSystemMetrics(SM_CXSCREEN)),
      height_(GetSystemMetrics(SM_CYSCREEN)) {
  // References to components of other forms ("fmMain.Table1") resolve through the
  // screen's forms.
  SetFindGlobalComponent([this](std::string_view name) -> TComponent* { return FindForm(name); });
}

TScreen::~TScreen() { SetFindGlobalComponent(nullptr); }

void TScreen::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  cursor_log_.push_back(value);
  if (TWindowHost* host = WindowHost()) host->CursorChanged(value);
}

TForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return forms_[static_cast<std::size_t>(index)];
}

TForm* TScreen::FindForm(std::string_view name) const {
  for (TForm* form : forms_) {
    const std::string& n = form->Name();
    if (!n.empty() && SameIdent(n, name)) {
      return form;
    }
  }
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  if (active_form_ == nullptr) return nullptr;
  return active_form_->focused_control_;
}

void TScreen::Reset() {
  width_ = GetSystemMetrics(SM_CXSCREEN);
  height_ = GetSystemMetrics(SM_CYSCREEN);
  cursor_ = crDefault;
  cursor_log_.clear();
}

void TScreen::AddForm(TForm* form) {
  forms_.push_back(form);
  activation_order_.push_back(form);
}

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  activation_order_.erase(std::remove(activation_order_.begin(), activation_order_.end(), form),
                          activation_order_.end());
  if (active_form_ == form) SetActiveForm(nullptr);
}

TForm* TScreen::PreviousActiveForm(const TForm* except) const {
  for (auto it = activation_order_.rbegin(); it != activation_order_.rend(); ++it) {
    TForm* form = *it;
    if (form != except && form->Visible() && form->Enabled()) return form;
  }
  return nullptr;
}

void TScreen::SetActiveForm(TForm* form) {
  if (form == active_form_) return;
  active_form_ = form;
  // The most recently activated form goes last: when the active form hides, the form
  // activated before it takes over.
  if (form != nullptr) {
    auto it = std::find(activation_order_.begin(), activation_order_.end(), form);
    if (it != activation_order_.end()) std::rotate(it, it + 1, activation_order_.end());
  }
  OnActiveFormChange(this);
}

void TScreen::ActiveControlChanged() { OnActiveControlChange(this); }

}  // namespace vantor
