#include <vantor/platform/core/persistent.h>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TPersistent::StaticType() {
  static const TypeInfo info = TypeBuilder<TPersistent>("TPersistent", nullptr).Build();
  return info;
}

void TPersistent::Assign(const TPersistent* source) {
  if (source != nullptr) {
    source->AssignTo(*this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent& dest) const { dest.AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  const std::string from = source != nullptr ? source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler& /*filer*/) {}

std::string TPersistent::GetNamePath() const {
  std::string path = ClassName();
  if (TPersistent* owner = GetOwner()) {
    const std::string owner_path = owner->GetNamePath();
    if (!owner_path.empty()) path = owner_path + "." + path;
  }
  return path;
}

}  // namespace vantor
