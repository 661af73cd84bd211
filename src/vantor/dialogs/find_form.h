#pragma once
// TfmFind: the find dialog's form. OK searches from the start, Next from the record after
// the current one; both close the form as confirmed. Its description ("fmFind") adds the
// two click handlers to the inherited one.

#include <vantor/dialogs/fields_set_form.h>

namespace vantor {

class TDBFindDialog;

class TfmFind : public TfmFieldsSet {
 public:
  explicit TfmFind(TDBFindDialog* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The base options, then the top bar only while it holds a button, and Next right of OK
  // with soNext.
  void SetOptions() override;

  void bbOkClick(TObject* sender);
  void bbNextClick(TObject* sender);

 private:
  TDBFindDialog* dialog_;
};

}  // namespace vantor
