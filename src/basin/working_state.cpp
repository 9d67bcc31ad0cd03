// The bounds-checked series of the runoff values.
#include "basin/working_state.hpp"

namespace brelvo::basin {

void Series::redim(int upper) {
    if (upper < -1) throw common::subscriptOutOfRange();
    values_.assign(static_cast<std::size_t>(upper + 1), 0.0f);
}

void Series::redimPreserve(int upper) {
    if (upper < -1) throw common::subscriptOutOfRange();
    values_.resize(static_cast<std::size_t>(upper + 1), 0.0f);
}

}  // namespace brelvo::basin
