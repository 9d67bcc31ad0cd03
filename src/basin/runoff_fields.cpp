// The runoff window's field model.
#include "basin/runoff_fields.hpp"

namespace brelvo::basin {

namespace {

const std::string& lookup(const std::map<std::string, std::string>& map, const std::string& name) {
    static const std::string empty;
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

}  // namespace

const std::string& RunoffFields::text(const std::string& name) const { return lookup(texts_, name); }

void RunoffFields::setText(const std::string& name, const std::string& value) {
    auto it = texts_.find(name);
    if (it != texts_.end() && it->second == value) return;
    texts_[name] = value;
    if (displayChanged) displayChanged(name);
    const auto handler = handlers_.find(name);
    if (handler != handlers_.end() && handler->second) handler->second();
}

const std::string& RunoffFields::caption(const std::string& name) const { return lookup(captions_, name); }

void RunoffFields::setCaption(const std::string& name, const std::string& value) {
    auto it = captions_.find(name);
    if (it != captions_.end() && it->second == value) return;
    captions_[name] = value;
    if (displayChanged) displayChanged(name);
}

bool RunoffFields::checked(const std::string& name) const {
    const auto it = checks_.find(name);
    return it != checks_.end() && it->second;
}

void RunoffFields::setChecked(const std::string& name, bool value) {
    auto it = checks_.find(name);
    if (it != checks_.end() && it->second == value) return;
    checks_[name] = value;
    if (displayChanged) displayChanged(name);
}

std::vector<std::string> RunoffFields::textNames() const { return keys(texts_); }
std::vector<std::string> RunoffFields::captionNames() const { return keys(captions_); }
std::vector<std::string> RunoffFields::checkNames() const { return keys(checks_); }

void RunoffFields::onChange(const std::string& name, std::function<void()> handler) {
    handlers_[name] = std::move(handler);
}

std::string RunoffFields::indexed(const std::string& name, int index) {
    return name + "(" + std::to_string(index) + ")";
}

bool timeStepInMinutes(const RunoffFields& fields) {
    return fields.caption("Label14").find("minute") != std::string::npos;
}

}  // namespace brelvo::basin
