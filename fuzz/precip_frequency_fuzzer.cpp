// Precipitation-frequency tables: whatever the text, the reader gives a table whose rows rise in hours
// and hold one depth text per return period that the rainfall boxes read as a number of 0 or more, or it
// refuses the file with a message; a design storm of any of its return periods and durations has at
// most eight rows ending at that duration.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.hpp"
#include "common/numbers.hpp"
#include "runoff/precip_frequency.hpp"

using brelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const brelvo::runoff::PrecipFrequencyRead read = brelvo::runoff::readPrecipFrequency(text, "f.csv");
    if (!read.table) {
        require(!read.error.empty(), "a refusal says why");
        return 0;
    }
    const brelvo::runoff::PrecipFrequencyTable& t = *read.table;
    require(read.error.empty(), "no refusal with a table");
    require(!t.returnPeriods.empty() && t.returnPeriods.size() <= brelvo::runoff::kMaxReturnPeriods,
            "return periods bounded");
    require(!t.durations.empty() && t.durations.size() <= brelvo::runoff::kMaxPrecipRows, "rows bounded");
    require(t.durationHours.size() == t.durations.size() && t.depthText.size() == t.durations.size(),
            "one duration and one row of depths per label");
    for (std::size_t d = 0; d < t.durations.size(); ++d) {
        require(t.durationHours[d] > 0 && (d == 0 || t.durationHours[d] > t.durationHours[d - 1]),
                "durations rise");
        require(t.depthText[d].size() == t.returnPeriods.size(), "a depth per return period");
        for (const auto& depth : t.depthText[d]) {
            const brelvo::common::BoxNumber n = brelvo::common::readBoxNumber(depth);
            require(n.reading == brelvo::common::BoxReading::number && n.value >= 0,
                    "depths read as numbers");
        }
    }
    const auto storm = brelvo::runoff::designStormRows(t, t.returnPeriods.back(), t.durationHours.back());
    require(storm.error.empty() && !storm.rows.empty() && storm.rows.size() <= 8, "a storm of the table");
    require(storm.rows.back().second == t.depthText.back().back(), "the storm ends at its length");
    return 0;
}
