// The numbers of a hydrograph table as written: columns and rounded times.
#include "basin/table_text.hpp"

#include <cmath>

namespace brelvo::basin {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool cutsANumber(const std::string& line, std::size_t from) {
    const auto filled = [&](std::size_t at) {
        return at < line.size() && line[at] != ' ' && line[at] != '\t';
    };
    return (from > 0 && filled(from - 1) && filled(from)) ||
           (filled(from + kColumn - 1) && filled(from + kColumn));
}

double writtenRounding(const std::string& text, float value) {
    double half = 0;
    const std::size_t point = text.find('.');
    if (point != std::string::npos && text.find_first_of("eEdD") == std::string::npos) {
        const std::size_t last = text.find_last_of("0123456789");
        const int decimals = last == std::string::npos || last < point ? 0 : static_cast<int>(last - point);
        half = 0.5 * std::pow(10.0, -decimals);
    }
    return half + 0.3 / 3600 + 1e-6 * std::fabs(static_cast<double>(value));
}

float stepWithin(double low, double high, float first) {
    const double lowMinutes = low * 60, highMinutes = high * 60, middle = (lowMinutes + highMinutes) / 2;
    for (const double every : {60.0, 30.0, 15.0, 10.0, 5.0, 1.0}) {
        double minutes = std::round(middle / every) * every;
        if (minutes < lowMinutes) minutes += every;
        if (minutes > highMinutes) minutes -= every;
        if (minutes >= 1 && minutes >= lowMinutes && minutes <= highMinutes) {
            return static_cast<float>(minutes / 60.0);
        }
    }
    if (first >= low && first <= high) return first;
    return static_cast<float>((low + high) / 2);
}

}  // namespace brelvo::basin
