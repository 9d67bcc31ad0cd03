#include "terrain/elevation_model.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace brelvo::terrain {

const char* verticalUnitText(VerticalUnit unit) {
    switch (unit) {
        case VerticalUnit::Metre:
            return "m";
        case VerticalUnit::Foot:
            return "ft";
        case VerticalUnit::UsFoot:
            return "US ft";
        case VerticalUnit::Unknown:
            break;
    }
    return "";
}

double metresPer(VerticalUnit unit) {
    switch (unit) {
        case VerticalUnit::Metre:
            return 1.0;
        case VerticalUnit::Foot:
            return 0.3048;
        case VerticalUnit::UsFoot:
            return 1200.0 / 3937.0;
        case VerticalUnit::Unknown:
            break;
    }
    return 0.0;
}

VerticalUnit verticalUnitFromText(std::string_view text) {
    std::string t;
    for (const char c : text) {
        // Letter case, blanks, dashes and underscores do not tell units apart.
        const auto u = static_cast<unsigned char>(c);
        if (std::isspace(u) || c == '-' || c == '_' || c == '.') continue;
        t.push_back(static_cast<char>(std::tolower(u)));
    }
    static constexpr std::array<std::string_view, 5> metres{"m", "metre", "metres", "meter", "meters"};
    static constexpr std::array<std::string_view, 7> feet{
        "ft", "foot", "feet", "internationalfoot", "internationalfeet", "intlfoot", "footintl"};
    static constexpr std::array<std::string_view, 7> usFeet{"ussurveyfoot", "ussurveyfeet", "ftus",  "usft",
                                                            "usfoot",       "usfeet",       "footus"};
    const auto in = [&t](const auto& names) {
        return std::find(names.begin(), names.end(), t) != names.end();
    };
    if (in(metres)) return VerticalUnit::Metre;
    if (in(feet)) return VerticalUnit::Foot;
    if (in(usFeet)) return VerticalUnit::UsFoot;
    return VerticalUnit::Unknown;
}

}  // namespace brelvo::terrain
