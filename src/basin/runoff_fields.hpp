// The runoff window's fields as a plain model: every text box's text, every label's caption, the check
// boxes, the two lists and the routing option, by control name (common::controls::form3). Computations
// read the fields afresh and write derived values back as text; a change handler runs synchronously
// when a text changes, exactly as a text box's change event does, so nested recomputations behave as
// in the window. A name that is no control of the window (or a text name asked for as a caption) is a
// programming error: std::logic_error, never an empty text read as 0.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brelvo::basin {

class RunoffFields {
  public:
    // Text boxes, list texts and the routing option.
    const std::string& text(std::string_view name) const;
    // Sets a text; when it differs from the old one the window is told and then the field's change
    // handler runs before this returns.
    void setText(std::string_view name, const std::string& value);
    // Sets a text as it was kept (a reopened project): the window is told, no change handler runs, so
    // derived values that were kept with it stay as they were.
    void restoreText(std::string_view name, const std::string& value);

    // Label captions and the window caption.
    const std::string& caption(std::string_view name) const;
    void setCaption(std::string_view name, const std::string& value);

    // Check boxes.
    bool checked(std::string_view name) const;
    void setChecked(std::string_view name, bool value);

    // Names in a stable order, for the window and the dump.
    std::vector<std::string> textNames() const;
    std::vector<std::string> captionNames() const;
    std::vector<std::string> checkNames() const;

    // The domain's change handler of one text field.
    void onChange(std::string_view name, std::function<void()> handler);

    // The window's listener: told the name of every text, caption or check that changed.
    std::function<void(const std::string& name)> displayChanged;

    // Indexed control names: indexed(form3::txtRain, 3) is "txtRain(3)".
    static std::string indexed(std::string_view name, int index);

  private:
    std::map<std::string, std::string, std::less<>> texts_;
    std::map<std::string, std::string, std::less<>> captions_;
    std::map<std::string, bool, std::less<>> checks_;
    std::map<std::string, std::function<void()>, std::less<>> handlers_;
};

// True when the time-step box holds minutes: its label (Label14) says so; otherwise it holds hours.
[[nodiscard]] bool timeStepInMinutes(const RunoffFields& fields);

}  // namespace brelvo::basin
