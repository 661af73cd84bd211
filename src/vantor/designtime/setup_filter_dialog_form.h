#pragma once
// TfmSetupFilterDialog: the setup form of TDBFilterDialog. It has no memo row (memos never
// filter), and its scratch copy carries each record's type and labels itself, since it
// has no data source.

#include <vantor/designtime/setup_record_form.h>

namespace vantor {

class TfmSetupFilterDialog : public TfmSetupRecord {
 public:
  explicit TfmSetupFilterDialog(TFieldsSet* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  const TypeInfo& OwnerClass() const override;
};

}  // namespace vantor
