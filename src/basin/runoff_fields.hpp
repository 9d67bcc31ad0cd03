// The runoff window's fields as a plain model: every text box's text, every label's caption, the check
// boxes and the two lists, by control name ("txtL", "txtRain(0)", "Label14"). Computations read the
// fields afresh and write derived values back as text; a change handler runs synchronously when a text
// changes, exactly as a text box's change event does, so nested recomputations behave as in the window.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace brelvo::basin {

class RunoffFields {
public:
    // Text boxes and list texts.
    const std::string& text(const std::string& name) const;
    // Sets a text; when it differs from the old one the window is told and then the field's change
    // handler runs before this returns.
    void setText(const std::string& name, const std::string& value);

    const std::string& caption(const std::string& name) const;
    void setCaption(const std::string& name, const std::string& value);

    bool checked(const std::string& name) const;
    void setChecked(const std::string& name, bool value);

    // Names in a stable order, for the window and the dump.
    std::vector<std::string> textNames() const;
    std::vector<std::string> captionNames() const;
    std::vector<std::string> checkNames() const;

    // The domain's change handler of one text field.
    void onChange(const std::string& name, std::function<void()> handler);

    // The window's listener: told the name of every text, caption or check that changed.
    std::function<void(const std::string& name)> displayChanged;

    // Indexed control names: "txtRain(3)".
    static std::string indexed(const std::string& name, int index);

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::string> captions_;
    std::map<std::string, bool> checks_;
    std::map<std::string, std::function<void()>> handlers_;
};

// True when the time-step box holds minutes: its label (Label14) says so; otherwise it holds hours.
[[nodiscard]] bool timeStepInMinutes(const RunoffFields& fields);

}  // namespace brelvo::basin
