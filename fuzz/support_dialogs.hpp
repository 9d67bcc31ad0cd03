// A dialogs port for the harnesses: answers nothing, remembers that something was told.
#pragma once

#include <optional>
#include <string>

#include "common/dialogs.hpp"

namespace brelvo::fuzz {

class Dialogs : public common::Dialogs {
  public:
    bool told = false;
    void message(const std::string& text) override { told = told || !text.empty(); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> fileDialog(const common::FileDialogRequest&) override { return std::nullopt; }
    bool confirm(const std::string&, const std::string&) override { return false; }
};

}  // namespace brelvo::fuzz
