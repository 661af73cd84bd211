#include <vantor/platform/ui/message_form.h>

#include <algorithm>
#include <string>
#include <vector>

#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/label.h>

namespace vantor {

namespace {

std::string ButtonCaption(TMsgDlgBtn button) {
  switch (button) {
    case mbYes: return "Yes";
    case mbNo: return "No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "Abort";
    case mbRetry: return "Retry";
    case mbIgnore: return "Ignore";
    case mbAll: return "All";
    case mbHelp: return "Help";
  }
  return {};
}

}  // namespace

TModalResult ShowMessageForm(const TMessageBoxRecord& box) {
  constexpr int kMargin = 16;
  constexpr int kButtonWidth = 75;
  constexpr int kButtonHeight = 25;
  constexpr int kGap = 8;
  TForm form(nullptr, TCreateNew{});
  form.SetName("MessageForm");
  form.SetCaption(box.caption);
  form.SetBorderStyle(bsDialog);
  form.SetPosition(poScreenCenter);
  auto* text = new TLabel(&form);
  text->SetName("Message");
  text->SetParent(&form);
  text->SetLeft(kMargin);
  text->SetTop(kMargin);
  text->SetCaption(box.text);

  std::vector<TMsgDlgBtn> shown;
  for (std::size_t i = 0; i < EnumNames<TMsgDlgBtn>::value.size(); ++i) {
    const auto button = static_cast<TMsgDlgBtn>(i);
    // Help closes nothing: a box window has no help to offer it to.
    if (box.buttons.Contains(button) && button != mbHelp) shown.push_back(button);
  }
  const int row = static_cast<int>(shown.size()) * (kButtonWidth + kGap) - kGap;
  const int width = std::max(text->Width(), row) + 2 * kMargin;
  const int top = text->Top() + text->Height() + kMargin;
  int left = (width - row) / 2;
  TModalResult on_close = mrNone;
  for (TMsgDlgBtn b : shown) {
    auto* button = new TButton(&form);
    button->SetName(ButtonCaption(b));
    button->SetParent(&form);
    button->SetBounds(left, top, kButtonWidth, kButtonHeight);
    button->SetCaption(ButtonCaption(b));
    button->SetModalResult(ButtonResult(b));
    if (b == shown.front()) {
      button->SetDefault(true);
      form.SetActiveControl(button);
    }
    if (b == mbCancel || (b == mbNo && on_close == mrNone)) on_close = ButtonResult(b);
    if (b == mbCancel || b == mbNo) button->SetCancel(true);
    left += kButtonWidth + kGap;
  }
  if (box.buttons == TMsgDlgButtons{mbOK}) on_close = mrOk;
  form.SetClientWidth(width);
  form.SetClientHeight(top + kButtonHeight + kMargin);
  // The close box ends the modal run with mrCancel: that stands for the box's own way out,
  // or is refused when it has none.
  form.OnCloseQuery = [&form, &shown, on_close](TObject*, bool& can_close) {
    const TModalResult r = form.ModalResult();
    const bool chosen = std::any_of(shown.begin(), shown.end(), [r](TMsgDlgBtn b) { return ButtonResult(b) == r; });
    if (chosen) return;
    if (on_close == mrNone) {
      can_close = false;
      return;
    }
    form.SetModalResult(on_close);
  };
  return form.ShowModal();
}

}  // namespace vantor
