#pragma once
// TfmFilter: the filter dialog's form, with the "Filtered" check box in its top bar. The
// box shows the dialog's Filtered when the form is activated; a confirmed close with a
// connected data set makes its state the dialog's Filtered.

#include <vantor/dialogs/fields_set_form.h>
#include <vantor/platform/ui/check_box.h>

namespace vantor {

class TDBFilterDialog;

class TfmFilter : public TfmFieldsSet {
 public:
  explicit TfmFilter(TDBFilterDialog* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  void FormActivate(TObject* sender) override;
  void FormCloseQuery(TObject* sender, bool& can_close) override;

  TPanel* paFiltered = nullptr;
  TCheckBox* cbFiltered = nullptr;

 private:
  TDBFilterDialog* dialog_;
};

}  // namespace vantor
