#include "panel/field_record_edit.h"

namespace vantor {

const TypeInfo& TFieldRecordEdit::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFieldRecordEdit>("TFieldRecordEdit", &TMaskEdit::StaticType()).Build();
  return info;
}

void TFieldRecordEdit::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

}  // namespace vantor
