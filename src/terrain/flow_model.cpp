#include "terrain/flow_model.hpp"

namespace brelvo::terrain {}  // namespace brelvo::terrain
