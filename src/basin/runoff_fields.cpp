// The runoff window's field model and the names it knows.
#include "basin/runoff_fields.hpp"

#include <set>
#include <stdexcept>

#include "common/control_names.hpp"

namespace brelvo::basin {

namespace {

namespace form3 = common::controls::form3;

enum class Kind { text, caption, check };

// Every control of the window by kind.
const std::map<std::string, Kind, std::less<>>& knownControls() {
    static const std::map<std::string, Kind, std::less<>> known = [] {
        std::map<std::string, Kind, std::less<>> names;
        for (std::string_view name :
             {form3::txtBasinArea,     form3::txtL,      form3::txtLca,        form3::txtelv1,
              form3::txtElv2,          form3::txtS,      form3::txtC,          form3::txtLag,
              form3::txtGraphtimestep, form3::txtCNloss, form3::txtConstLoss,  form3::txtPercentImp,
              form3::txtTitle,         form3::txtTile2,  form3::txtModbelv,    form3::txtMuskK,
              form3::txtMuskX,         form3::txtTatum,  form3::ComboDimgraph, form3::ComboRain,
              form3::optRouteType}) {
            names.emplace(name, Kind::text);
        }
        for (std::string_view column : {form3::txtDuration, form3::txtRain, form3::txtArealAdj}) {
            for (int row = 0; row < form3::kGridRows; ++row)
                names.emplace(RunoffFields::indexed(column, row), Kind::text);
        }
        for (std::string_view name : {form3::Form3, form3::Label10, form3::lblL, form3::lblLca,
                                      form3::Label14, form3::Frame2, form3::capTatum}) {
            names.emplace(name, Kind::caption);
        }
        for (std::string_view name : {form3::chkAutoTimeStep, form3::chkAreaAdj})
            names.emplace(name, Kind::check);
        return names;
    }();
    return known;
}

void require(std::string_view name, Kind kind) {
    const auto& known = knownControls();
    const auto it = known.find(name);
    if (it == known.end() || it->second != kind) {
        throw std::logic_error("the runoff window has no such control: \"" + std::string(name) + "\"");
    }
}

template <typename Map>
const typename Map::mapped_type& lookup(const Map& map, std::string_view name) {
    static const typename Map::mapped_type empty{};
    const auto it = map.find(name);
    return it == map.end() ? empty : it->second;
}

template <typename Map>
std::vector<std::string> keys(const Map& map) {
    std::vector<std::string> names;
    names.reserve(map.size());
    for (const auto& entry : map) names.push_back(entry.first);
    return names;
}

// Sets map[name] to value; true when that changed it.
template <typename Map, typename Value>
bool store(Map& map, std::string_view name, const Value& value) {
    const auto it = map.find(name);
    if (it != map.end()) {
        if (it->second == value) return false;
        it->second = value;
        return true;
    }
    map.emplace(std::string(name), value);
    return true;
}

}  // namespace

const std::string& RunoffFields::text(std::string_view name) const {
    require(name, Kind::text);
    return lookup(texts_, name);
}

void RunoffFields::setText(std::string_view name, const std::string& value) {
    require(name, Kind::text);
    if (!store(texts_, name, value)) return;
    const std::string changed(name);
    if (displayChanged) displayChanged(changed);
    const auto handler = handlers_.find(name);
    if (handler != handlers_.end() && handler->second) handler->second();
}

void RunoffFields::restoreText(std::string_view name, const std::string& value) {
    require(name, Kind::text);
    if (store(texts_, name, value) && displayChanged) displayChanged(std::string(name));
}

const std::string& RunoffFields::caption(std::string_view name) const {
    require(name, Kind::caption);
    return lookup(captions_, name);
}

void RunoffFields::setCaption(std::string_view name, const std::string& value) {
    require(name, Kind::caption);
    if (!store(captions_, name, value)) return;
    if (displayChanged) displayChanged(std::string(name));
}

bool RunoffFields::checked(std::string_view name) const {
    require(name, Kind::check);
    return lookup(checks_, name);
}

void RunoffFields::setChecked(std::string_view name, bool value) {
    require(name, Kind::check);
    if (!store(checks_, name, value)) return;
    if (displayChanged) displayChanged(std::string(name));
}

std::vector<std::string> RunoffFields::textNames() const {
    return keys(texts_);
}
std::vector<std::string> RunoffFields::captionNames() const {
    return keys(captions_);
}
std::vector<std::string> RunoffFields::checkNames() const {
    return keys(checks_);
}

void RunoffFields::onChange(std::string_view name, std::function<void()> handler) {
    require(name, Kind::text);
    const auto it = handlers_.find(name);
    if (it != handlers_.end()) {
        it->second = std::move(handler);
    } else {
        handlers_.emplace(std::string(name), std::move(handler));
    }
}

std::string RunoffFields::indexed(std::string_view name, int index) {
    return std::string(name) + "(" + std::to_string(index) + ")";
}

bool timeStepInMinutes(const RunoffFields& fields) {
    return fields.caption(common::controls::form3::Label14).find("minute") != std::string::npos;
}

}  // namespace brelvo::basin
