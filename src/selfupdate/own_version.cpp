// The product's own version. It sits alone in its archive (sl_own_version) so that a build linking
// an object that defines OwnVersionNumber itself (sl_own_version_object) uses that one instead.
#include "selfupdate/own_version.h"

#include "ui/shell_rules.h"

namespace sl {

int32_t OwnVersionNumber() { return kOwnVersionNumber; }

}  // namespace sl
