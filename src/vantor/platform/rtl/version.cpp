#include <vantor/version.h>

namespace vantor {

// Compiled into the library, so it reports the version of the headers the library itself
// was built with, whatever headers the calling program saw.
const char* Version() noexcept { return VANTOR_VERSION; }

}  // namespace vantor
