// The script runner: replays a user's session line by line against the real windows and writes what
// the user would see as JSON Lines. Message boxes never block: each is answered OK and recorded.
#pragma once

#include <deque>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/dialogs.hpp"

namespace brelvo::app {

class MainWindow;

// Dialogs answered from the script: queued answers are used in order; a dialog with no answer left
// is cancelled.
class ScriptDialogs : public common::Dialogs {
public:
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override;

    void queueAnswer(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
    std::vector<std::string> takeMessages();

private:
    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> messages_;
};

// One script line split into its words; quoted texts keep their blanks, with \" and \\ unescaped.
// No value when a quote is not closed.
std::optional<std::vector<std::string>> splitScriptLine(const std::string& line);

class ScriptRunner {
public:
    ScriptRunner(MainWindow& window, ScriptDialogs& dialogs, std::ostream& out, std::ostream& err);

    // Runs every line; 0 when all ran, 2 when a line could not be executed (named on err).
    int run(std::istream& script, const std::string& scriptName);

private:
    // An error text when the line cannot be executed.
    std::optional<std::string> execute(const std::vector<std::string>& words);
    void dump();

    MainWindow& window_;
    ScriptDialogs& dialogs_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace brelvo::app
