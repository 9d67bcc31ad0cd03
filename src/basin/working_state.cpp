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

const ArrangementText* arrangementOf(std::string_view text) {
    for (const ArrangementText& arrangement : kArrangementTexts) {
        if (arrangement.text == text) return &arrangement;
    }
    return nullptr;
}

bool isStormFile(std::string_view text) {
    const ArrangementText* arrangement = arrangementOf(text);
    return arrangement != nullptr && arrangement->source == RainSource::stormFile;
}

GraphMethod graphMethodOf(std::string_view text) {
    for (const GraphMethodText& named : kGraphMethodTexts) {
        if (named.text == text) return named.method;
    }
    return GraphMethod::graphFile;
}

}  // namespace brelvo::basin
