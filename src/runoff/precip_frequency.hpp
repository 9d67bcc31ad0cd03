// SCRATCH stand-in for the precipitation-frequency reader's interface, until the reader lands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "basin/runoff_fields.hpp"

namespace brelvo::runoff {

struct PrecipFrequencyTable {
    std::string fileName;
    std::string unit;
    std::string volume;
    std::string seriesType;
    std::string projectArea;
    double latitude = 0, longitude = 0;
    std::vector<int> returnPeriods;
    std::vector<std::string> durations;
    std::vector<double> durationHours;
    std::vector<std::vector<std::string>> depthText;
    std::vector<std::string> notes;
};
struct PrecipFrequencyRead {
    std::optional<PrecipFrequencyTable> table;
    std::string error;
};
PrecipFrequencyRead readPrecipFrequency(std::string_view text, std::string_view fileName);
struct DesignStormRows {
    std::vector<std::pair<std::string, std::string>> rows;
    std::string title2;
    std::string error;
};
DesignStormRows designStormRows(const PrecipFrequencyTable&, int returnPeriodYears, double stormHours);
void applyDesignStorm(basin::RunoffFields& fields, const DesignStormRows& rows);

}  // namespace brelvo::runoff
