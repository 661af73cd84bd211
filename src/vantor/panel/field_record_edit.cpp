#include <vantor/panel/field_record_edit.h>

#include <vantor/platform/ui/system.h>

namespace vantor {

const TypeInfo& TFieldRecordEdit::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFieldRecordEdit>("TFieldRecordEdit", &TVntMaskEdit::StaticType()).Build();
  return info;
}

void TFieldRecordEdit::KeyPress(char32_t& key) {
  TVntMaskEdit::KeyPress(key);
  if (key < 32 || field_record_ == nullptr) return;
  if (field_record_->IsValidChar(key)) return;
  MessageBeep(0);
  key = 0;
}

}  // namespace vantor
