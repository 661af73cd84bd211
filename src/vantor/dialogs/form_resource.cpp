#include <vantor/dialogs/form_resource.h>

#include <vantor/engines/register_engines.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/ui_classes.h>
#include <vantor/resources/form_resources.h>

namespace vantor {

void RegisterFormDescriptionClasses() {
  static const bool registered = [] {
    RegisterUiClasses();
    RegisterFormClasses();
    RegisterEngineClasses();
    return true;
  }();
  (void)registered;
}

void ReadFormResource(TForm& form, std::string_view class_name) {
  RegisterFormDescriptionClasses();
  const std::span<const std::uint8_t> bytes = FindFormResource(class_name);
  if (bytes.empty()) throw EReadError("Resource " + std::string(class_name) + " not found");
  TMemoryStream stream(bytes);
  TReader(stream).ReadRootComponent(&form);
}

}  // namespace vantor
