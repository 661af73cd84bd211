#include <vantor/criteria/category_options.h>

#include <vantor/criteria/fields_list.h>
#include <vantor/criteria/fields_owner.h>

namespace vantor {

TPersistent* TCategoryOptionsBase::GetOwner() const {
  return owner_ != nullptr ? owner_->FieldsOwnerPersistent() : nullptr;
}

void TCategoryOptionsBase::CategoryChanged() const {
  if (owner_ == nullptr) return;
  if (TFieldsList* fields = owner_->Fields()) {
    fields->IncludeState({fsPaintNeeded, fsUpdateNeeded});
    fields->Changed();
  }
}

}  // namespace vantor
