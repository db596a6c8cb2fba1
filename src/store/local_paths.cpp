#include "store/local_paths.h"

namespace sl {

LocalPaths& Paths() {
  // Never destroyed: worker and report threads may still read it while the process ends.
  static LocalPaths& paths = *new LocalPaths;
  return paths;
}

}  // namespace sl
