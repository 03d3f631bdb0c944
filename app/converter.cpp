#include "converter.h"

namespace rastrify {
int run(int, char**) { return 0; }
}  // namespace rastrify
