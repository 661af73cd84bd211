#include <vantor/dialogs/find_form.h>

#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/form_resource.h>

namespace vantor {

const TypeInfo& TfmFind::StaticType() {
  static const TypeInfo info = TypeBuilder<TfmFind>("TfmFind", &TfmFieldsSet::StaticType()).Build();
  return info;
}

TfmFind::TfmFind(TDBFindDialog* owner) : TfmFieldsSet(owner), dialog_(owner) {
  RegisterMethod("bbOkClick", TNotifyEvent::Handler([this](TObject* s) { bbOkClick(s); }));
  RegisterMethod("bbNextClick", TNotifyEvent::Handler([this](TObject* s) { bbNextClick(s); }));
  ReadFormResource(*this, "TfmFind");
}

void TfmFind::SetOptions() {
  TfmFieldsSet::SetOptions();
  const TStateOptions options = dialog_->GetOptions();
  paTop->SetVisible(options.Contains(soClear) || options.Contains(soSetup));
  paNext->SetVisible(options.Contains(soNext));
  paNext->SetLeft(paOk->Left() + paOk->Width());
}

void TfmFind::bbOkClick(TObject* /*sender*/) { dialog_->SetRestart(true); }

void TfmFind::bbNextClick(TObject* /*sender*/) { dialog_->SetRestart(false); }

}  // namespace vantor
