#include <vantor/platform/ui/message_dialogs.h>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>

namespace vantor {

TModalResult ButtonResult(TMsgDlgBtn button) {
  switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbHelp: return mrNone;
  }
  return mrNone;
}

std::string MessageDlgCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
  }
  return Application->Title();
}

void ShowMessage(std::string_view text) {
  TMessageBoxRecord box;
  box.kind = mkShowMessage;
  box.caption = Application->Title();
  box.text = std::string(text);
  box.type = mtCustom;
  box.buttons = {mbOK};
  Application->ShowBox(std::move(box));
}

TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                        THelpContext help_context) {
  TMessageBoxRecord box;
  box.kind = mkMessageDlg;
  box.caption = MessageDlgCaption(type);
  box.text = std::string(text);
  box.type = type;
  box.buttons = buttons;
  box.help_context = help_context;
  return Application->ShowBox(std::move(box));
}

}  // namespace vantor
