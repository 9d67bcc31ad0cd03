// The script runner: replays a user's session line by line against the real windows and writes what
// the user would see as JSON Lines. Message boxes never block: each is answered OK and recorded.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.hpp"
#include "app/script_line.hpp"
#include "common/dialogs.hpp"

class QWidget;

namespace brelvo::app {
class JsonWriter;
}

namespace brelvo::app {

// Dialogs answered from the script: queued answers are used in order; a dialog with no answer left
// is cancelled.
class ScriptDialogs : public common::Dialogs {
  public:
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override;
    // Recorded as a message; goes on only when the next queued answer is the button's text
    // (`answer Continue`); any other answer, `answer cancel` or none left is Cancel.
    bool confirm(const std::string& question, const std::string& goOn) override;

    void queueAnswer(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
    // The next queued answer for a question of the program's own (recorded as a message); no value when
    // none is left or it is `answer cancel`.
    std::optional<std::string> takeAnswer(const std::string& question);
    std::vector<std::string> takeMessages();

  private:
    // The next queued answer, taken off the queue; no value when none is left or it is a cancel.
    std::optional<std::string> nextAnswer();

    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> messages_;
};

class ScriptRunner {
  public:
    // While it lives, the window's unsaved-changes question takes its answers from `dialogs`.
    ScriptRunner(MainWindow& window, ScriptDialogs& dialogs, std::ostream& out, std::ostream& err);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Runs every line; 0 when all ran, 2 when a line could not be executed (named on err).
    int run(std::istream& script, const std::string& scriptName);

  private:
    // One kind of script line: the number of words after the command word, and what the line does
    // (an error text when it cannot be executed).
    struct LineHandler {
        std::size_t argumentCount;  // kAnyCount: the line checks its own words
        std::optional<std::string> (ScriptRunner::*run)(const std::vector<std::string>& words);
    };
    static constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);
    static const std::map<std::string, LineHandler, std::less<>>& lineHandlers();

    // An error text when the line cannot be executed: an unknown command word or a wrong number of
    // words is "cannot execute this line".
    std::optional<std::string> execute(const std::vector<std::string>& words);
    void dump();

    bool isRunoffControl(const std::string& name) const;
    QWidget* widget(const std::string& name) const;
    static std::string bareName(const std::string& name);

    std::optional<std::string> dumpLine(const std::vector<std::string>& words);
    std::optional<std::string> menuLine(const std::vector<std::string>& words);
    std::optional<std::string> pictureLine(const std::vector<std::string>& words);
    std::optional<std::string> clickLine(const std::vector<std::string>& words);
    std::optional<std::string> hoverLine(const std::vector<std::string>& words);
    std::optional<std::string> dragLine(const std::vector<std::string>& words);
    std::optional<std::string> rpressLine(const std::vector<std::string>& words);
    // `panzoom REGION` and `wheel X Y STEPS [ctrl|shift]` (script_view.cpp).
    std::optional<std::string> panzoomLine(const std::vector<std::string>& words);
    std::optional<std::string> answerLine(const std::vector<std::string>& words);
    std::optional<std::string> typeLine(const std::vector<std::string>& words);
    std::optional<std::string> leaveLine(const std::vector<std::string>& words);
    std::optional<std::string> chooseLine(const std::vector<std::string>& words);
    std::optional<std::string> checkLine(const std::vector<std::string>& words);
    std::optional<std::string> doubleclickLine(const std::vector<std::string>& words);
    std::optional<std::string> spinLine(const std::vector<std::string>& words);
    std::optional<std::string> buttonLine(const std::vector<std::string>& words);
    std::optional<std::string> resizeLine(const std::vector<std::string>& words);
    std::optional<std::string> grabLine(const std::vector<std::string>& words);
    std::optional<std::string> showLine(const std::vector<std::string>& words);
    std::optional<std::string> wheelLine(const std::vector<std::string>& words);
    std::optional<std::string> keyLine(const std::vector<std::string>& words);
    std::optional<std::string> actionLine(const std::vector<std::string>& words);
    std::optional<std::string> titleLine(const std::vector<std::string>& words);
    // `georef point X Y "A" "B"`, `georef system "EPSG:n"|latlong`, `georef remove N`, `georef fit`,
    // `georef save`, `georef close`: the georeference window (script_georef.cpp).
    std::optional<std::string> georefLine(const std::vector<std::string>& words);
    // `storm returnperiod N`, `storm hours H`, `storm cancel`: the answers of the next Design Storm dialog
    // (its return period, its length, or Cancel); what is not given keeps the dialog's own
    // (script_storm.cpp).
    std::optional<std::string> stormLine(const std::vector<std::string>& words);
    std::optional<StormChoice> answerStormChoice(const runoff::PrecipFrequencyTable& table,
                                                 const StormChoice& last);
    // `temporal section "NAME"`, `temporal probability "P%"`, `temporal ok`, `temporal cancel`: the
    // dialog of Import Temporal Distribution... (script_temporal.cpp).
    std::optional<std::string> temporalLine(const std::vector<std::string>& words);
    // `frequency open`, `frequency periods 2,10,100`, `frequency hours 24`, `frequency run` (waits for
    // the workers), `frequency start` and `frequency wait`, `frequency cancel`, `frequency export`,
    // `frequency grab FILE` (a picture of the window), `frequency close`: the frequency runs' window
    // (script_frequency.cpp).
    std::optional<std::string> frequencyLine(const std::vector<std::string>& words);
    // The dump's "Frequency" (the last run's rows, or null) and "FrequencyWindow" (or null).
    void dumpFrequency(JsonWriter& json) const;

    MainWindow& window_;
    ScriptDialogs& dialogs_;
    std::ostream& out_;
    std::ostream& err_;
    // The window's question as it was before this runner answered it.
    std::function<ProjectController::UnsavedAnswer(const std::string&)> previousAskUnsaved_;
    // The next Design Storm dialog's answers.
    std::optional<int> stormYears_;
    std::optional<double> stormHours_;
    bool stormCancel_ = false;
    StormChoiceAsker previousAskStormChoice_;
};

}  // namespace brelvo::app
