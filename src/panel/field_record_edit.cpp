#include <vantor/panel/field_record_edit.h>

namespace vantor {

const TypeInfo& TFieldRecordEdit::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFieldRecordEdit>("TFieldRecordEdit", &TVntMaskEdit::StaticType()).Build();
  return info;
}

}  // namespace vantor
