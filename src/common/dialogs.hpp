// The dialogs port: how the domain asks the user something. Windows, tests and the script runner implement
// it.
#pragma once

#include <optional>
#include <string>

namespace brelvo::common {

struct FileDialogRequest {
    std::string title;
    std::string fileName;    // initial file name
    std::string initialDir;  // the program's folder unless said otherwise
    std::string filter;      // "Description|*.ext|...|" pairs
    bool save = false;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Modal message box with only an OK button.
    virtual void message(const std::string& text) = 0;

    // Modal input box; a cancelled box answers the empty text, as an empty answer does.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;

    // Open or save dialog; no value when the user cancels.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;
};

}  // namespace brelvo::common
