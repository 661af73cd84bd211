#include <vantor/resources/form_resources.h>

#include <vantor/platform/rtl/identifiers.h>

namespace vantor {

// Defined by the file the form compiler writes into the build tree.
std::span<const TFormResource> CompiledFormResources();

std::span<const TFormResource> FormResources() { return CompiledFormResources(); }

std::span<const std::uint8_t> FindFormResource(std::string_view class_name) {
  for (const TFormResource& resource : CompiledFormResources()) {
    if (SameIdent(resource.class_name, class_name)) return resource.stream;
  }
  return {};
}

}  // namespace vantor
