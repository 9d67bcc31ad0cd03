#include "terrain/elevation_model.hpp"

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

}  // namespace brelvo::terrain
