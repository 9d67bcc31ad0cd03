// The number of the run-time failure an action raises, for tests that check which failure a step ends in.
#pragma once

#include <functional>

#include "common/failure.hpp"

namespace brelvo::testing_support {

// The failure number raised by an action, or 0 when it raises none. Other exceptions pass through.
inline int failureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const common::RuntimeFailure& failure) {
        return failure.number();
    }
    return 0;
}

}  // namespace brelvo::testing_support
