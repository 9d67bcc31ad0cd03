#include "terrain/delineation.hpp"

namespace brelvo::terrain {}  // namespace brelvo::terrain
