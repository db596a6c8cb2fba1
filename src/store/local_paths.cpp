#include "store/local_paths.h"

namespace sl {

LocalPaths& Paths() {
  static LocalPaths paths;
  return paths;
}

}  // namespace sl
