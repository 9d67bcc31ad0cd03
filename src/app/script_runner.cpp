// Replaying a user's session against the real windows.
#include "app/script_runner.hpp"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <charconv>
#include <filesystem>
#include <functional>
#include <map>

#include "app/json_writer.hpp"
#include "app/main_window.hpp"
#include "app/measuring_window_dump.hpp"
#include "app/runoff_window.hpp"
#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/program_folder.hpp"
#include "runoff/storm_table_tree.hpp"

namespace brelvo::app {

void ScriptDialogs::message(const std::string& text) {
    messages_.push_back(text);
}

std::optional<std::string> ScriptDialogs::nextAnswer() {
    if (answers_.empty()) return std::nullopt;
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

std::string ScriptDialogs::inputBox(const std::string& prompt, const std::string&, const std::string&) {
    return takeAnswer(prompt).value_or(std::string());
}

std::optional<std::string> ScriptDialogs::fileDialog(const common::FileDialogRequest& request) {
    auto answer = nextAnswer();
    // A relative name is picked in the folder the dialog opens in; for a dialog that opens at the file
    // used last, in the folder it opens in without one.
    const std::string& folder = request.usualDir.empty() ? request.initialDir : request.usualDir;
    if (answer && !answer->empty() && std::filesystem::path(*answer).is_relative() && !folder.empty()) {
        return (std::filesystem::path(folder) / *answer).string();
    }
    return answer;
}

bool ScriptDialogs::confirm(const std::string& question, const std::string& goOn) {
    return takeAnswer(question) == goOn;
}

std::optional<std::string> ScriptDialogs::takeAnswer(const std::string& question) {
    messages_.push_back(question);
    return nextAnswer();
}

std::vector<std::string> ScriptDialogs::takeMessages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

namespace {

namespace names = common::controls::form1;
namespace runoffNames = common::controls::form3;

// Text1 and the labels are the controls a user drags and right-presses.
bool isDraggable(const std::string& name) {
    return name == names::kText1 || name.rfind(std::string(names::kLabel1) + "(", 0) == 0;
}

// Sends a mouse event to a control as the window system would: a text box takes the mouse in its
// viewport, so the control-relative point (pixels) is carried over to it.
void sendMouse(QWidget* control, QEvent::Type type, QPointF controlPixels, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QWidget* receiver = control;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) receiver = area->viewport();
    const QPointF local = receiver == control ? controlPixels : receiver->mapFrom(control, controlPixels);
    QMouseEvent event(type, local, receiver->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &event);
}

}  // namespace

ScriptRunner::ScriptRunner(MainWindow& window, ScriptDialogs& dialogs, std::ostream& out, std::ostream& err)
    : window_(window),
      dialogs_(dialogs),
      out_(out),
      err_(err),
      previousAskUnsaved_(window.project().askUnsaved),
      previousAskStormChoice_(window.askStormChoice) {
    // The unsaved-changes question takes the next queued answer: "Save", "Discard", anything else
    // (or none) cancels.
    window_.project().askUnsaved = [&dialogs](const std::string& question) {
        const auto answer = dialogs.takeAnswer(question);
        if (answer == "Save") return ProjectController::UnsavedAnswer::Save;
        if (answer == "Discard") return ProjectController::UnsavedAnswer::Discard;
        return ProjectController::UnsavedAnswer::Cancel;
    };
    window_.askStormChoice = [this](const runoff::PrecipFrequencyTable& table, const StormChoice& last) {
        return answerStormChoice(table, last);
    };
}

ScriptRunner::~ScriptRunner() {
    window_.project().askUnsaved = std::move(previousAskUnsaved_);
    window_.askStormChoice = std::move(previousAskStormChoice_);
}

int ScriptRunner::run(std::istream& script, const std::string& scriptName) {
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const auto words = splitScriptLine(line);
        std::optional<std::string> error;
        if (!words) {
            error = "a quoted text is not closed";
        } else {
            error = execute(*words);
        }
        QApplication::processEvents();
        if (error) {
            out_.flush();
            err_ << scriptName << ":" << number << ": " << *error << ": " << line << std::endl;
            return 2;
        }
    }
    out_.flush();
    return 0;
}

void ScriptRunner::dump() {
    QApplication::processEvents();
    JsonWriter json;
    json.beginObject();
    dumpMeasuringWindow(window_, json);
    json.key(runoffNames::Form3).beginObject();
    if (RunoffWindow* runoff = window_.runoffWindow()) {
        runoff->dump(json);
    } else {
        json.key("loaded").value(false).key("visible").value(false);
    }
    json.endObject();
    const runoff::RunoffSession idle;
    const runoff::RunoffSession& r = window_.runoffWindow() ? window_.runoffWindow()->session() : idle;
    const runoff::SessionView view = runoff::viewOf(r);
    const basin::WorkingHydrograph& h = r.hydrograph;
    json.key("RunoffState").beginObject();
    json.key("routeMode").value(view.routeMode);
    json.key("outflowIsCurrent").value(h.outflowIsCurrent);
    json.key("hydrographPlotted").value(r.hydrographPlotted);
    json.key("it").value(static_cast<int>(h.inflow.last));
    json.key("maxq").value(h.inflow.peakCfs);
    json.key("tmax").value(static_cast<int>(h.inflow.peakIndex));
    json.key("maxout").value(h.routed.peakCfs);
    json.key("tmaxout").value(h.routed.peakIndex);
    json.key("maxelv").value(h.routed.peakElevationFt);
    json.key("volAcft").value(h.volumeAcreFt);
    json.key("udur").value(r.stepHours);
    json.key("nRain").value(view.rainSteps);
    json.key("prevStep").value(r.previousStepTyped);
    json.key("stormFile").value(r.stormFile);
    json.key("storageFile").value(r.storageFile);
    json.endObject();
    // The imported precipitation-frequency table and the storm last chosen from it, or null.
    json.key("StormTable");
    if (r.stormTable) {
        json.tree(runoff::stormTableTree({*r.stormTable, r.stormReturnPeriod, r.stormHours}));
    } else {
        json.null();
    }
    dumpFrequency(json);
    json.key("reportFile").value(common::workingHydrographFile());
    // The map's status line as shown (the pointer's coordinates, a preview of the outlet), or empty.
    json.key("StatusLine").value(window_.statusText().toStdString());
    json.key("messages").beginArray();
    for (const auto& m : dialogs_.takeMessages()) json.value(m);
    json.endArray();
    json.endObject();
    out_ << json.str() << '\n';
}

// ---- the lines ----

const std::map<std::string, ScriptRunner::LineHandler, std::less<>>& ScriptRunner::lineHandlers() {
    // Command word -> the number of words after it and what the line does.
    static const std::map<std::string, LineHandler, std::less<>> handlers{
        {"dump", {0, &ScriptRunner::dumpLine}},
        {"menu", {1, &ScriptRunner::menuLine}},
        {"picture", {1, &ScriptRunner::pictureLine}},
        {"click", {2, &ScriptRunner::clickLine}},
        {"rclick", {2, &ScriptRunner::clickLine}},
        // A left click with Shift held (an outlet taken as clicked).
        {"shiftclick", {2, &ScriptRunner::clickLine}},
        // The pointer resting over the map (the status line shows what a click there would do).
        {"hover", {2, &ScriptRunner::hoverLine}},
        {"drag", {5, &ScriptRunner::dragLine}},
        {"rpress", {1, &ScriptRunner::rpressLine}},
        {"panzoom", {1, &ScriptRunner::panzoomLine}},
        {"answer", {1, &ScriptRunner::answerLine}},
        {"type", {2, &ScriptRunner::typeLine}},
        {"leave", {1, &ScriptRunner::leaveLine}},
        {"choose", {2, &ScriptRunner::chooseLine}},
        {"check", {2, &ScriptRunner::checkLine}},
        {"doubleclick", {1, &ScriptRunner::doubleclickLine}},
        {"spin", {2, &ScriptRunner::spinLine}},
        {"button", {1, &ScriptRunner::buttonLine}},
        {"resize", {2, &ScriptRunner::resizeLine}},
        {"grab", {2, &ScriptRunner::grabLine}},
        {"show", {1, &ScriptRunner::showLine}},
        {"wheel", {kAnyCount, &ScriptRunner::wheelLine}},
        {"key", {1, &ScriptRunner::keyLine}},
        {"action", {1, &ScriptRunner::actionLine}},
        {"title", {0, &ScriptRunner::titleLine}},
        {"georef", {kAnyCount, &ScriptRunner::georefLine}},
        {"storm", {kAnyCount, &ScriptRunner::stormLine}},
        // The temporal distribution's dialog (script_temporal.cpp).
        {"temporal", {kAnyCount, &ScriptRunner::temporalLine}},
    };
    return handlers;
}

std::optional<std::string> ScriptRunner::execute(const std::vector<std::string>& w) {
    if (w[0] == "frequency") return frequencyLine(w);  // the frequency runs' window checks its own words
    const auto& handlers = lineHandlers();
    const auto found = handlers.find(w[0]);
    if (found == handlers.end() ||
        (found->second.argumentCount != kAnyCount && found->second.argumentCount != w.size() - 1))
        return "cannot execute this line";
    return (this->*found->second.run)(w);
}

// A control of the main window, or of the runoff window once it is loaded; "Form1." or "Form3."
// names the window where both have a control of that name.
bool ScriptRunner::isRunoffControl(const std::string& name) const {
    RunoffWindow* runoff = window_.runoffWindow();
    if (!runoff) return false;
    const QString q = QString::fromStdString(name);
    if (q.startsWith(QString::fromLatin1(runoffNames::kQualifier.data(), runoffNames::kQualifier.size())))
        return true;
    if (q.startsWith(QString::fromLatin1(names::kQualifier.data(), names::kQualifier.size()))) return false;
    return window_.control(q) == nullptr && runoff->control(q) != nullptr;
}

QWidget* ScriptRunner::widget(const std::string& name) const {
    const QString q = QString::fromStdString(name);
    return isRunoffControl(name) ? window_.runoffWindow()->control(q) : window_.control(q);
}

std::string ScriptRunner::bareName(const std::string& name) {
    const auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

std::optional<std::string> ScriptRunner::dumpLine(const std::vector<std::string>&) {
    dump();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::menuLine(const std::vector<std::string>& w) {
    if (!window_.hasCommandItem(w[1])) return "no such command in lstMenu1";
    window_.chooseCommand(w[1]);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::pictureLine(const std::vector<std::string>& w) {
    if (!window_.hasPictureItem(w[1])) return "no such command in lstMenu2";
    window_.choosePicture(w[1]);
    // A session replays as the user waited: the picture decoding in the background is whole first.
    window_.waitForPictureLoad();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::clickLine(const std::vector<std::string>& w) {
    const auto x = parseNumber(w[1]), y = parseNumber(w[2]);
    if (!x || !y) return "X and Y must be numbers";
    const bool shift = w[0] == "shiftclick";
    window_.setShiftClick(shift);
    window_.mapMouseUp(w[0] == "rclick" ? measure::MouseButton::Right : measure::MouseButton::Left, *x, *y);
    window_.setShiftClick(false);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::hoverLine(const std::vector<std::string>& w) {
    const auto x = parseNumber(w[1]), y = parseNumber(w[2]);
    if (!x || !y) return "X and Y must be numbers";
    window_.hoverMap(*x, *y);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::dragLine(const std::vector<std::string>& w) {
    if (!isDraggable(w[1])) return "only Text1 and the labels Label1(K) can be dragged";
    QWidget* target = window_.control(QString::fromStdString(w[1]));
    if (!target) return "no control of that name";
    const auto x1 = parseNumber(w[2]), y1 = parseNumber(w[3]);
    const auto x2 = parseNumber(w[4]), y2 = parseNumber(w[5]);
    if (!x1 || !y1 || !x2 || !y2) return "X1 Y1 X2 Y2 must be numbers";
    const double tpp = window_.twipsPerPixelX();
    const QPointF from(*x1 / tpp, *y1 / tpp), to(*x2 / tpp, *y2 / tpp);
    sendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    // The control has moved by now: the release lands where the pointer holds it.
    sendMouse(target, QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::rpressLine(const std::vector<std::string>& w) {
    if (!isDraggable(w[1])) return "only Text1 and the labels Label1(K) take a right press";
    QWidget* target = window_.control(QString::fromStdString(w[1]));
    if (!target) return "no control of that name";
    const QPointF inside(2, 2);
    sendMouse(target, QEvent::MouseButtonPress, inside, Qt::RightButton, Qt::RightButton);
    sendMouse(target, QEvent::MouseButtonRelease, inside, Qt::RightButton, Qt::NoButton);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::answerLine(const std::vector<std::string>& w) {
    dialogs_.queueAnswer(w[1] == "cancel" ? std::nullopt : std::optional<std::string>(w[1]));
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::typeLine(const std::vector<std::string>& w) {
    QWidget* target = widget(w[1]);
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        edit->setFocus();
        edit->setText(QString::fromStdString(w[2]));
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(target)) {
        text->setFocus();
        text->setPlainText(QString::fromStdString(w[2]));
    } else {
        return "no text box of that name";
    }
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::leaveLine(const std::vector<std::string>& w) {
    QWidget* target = widget(w[1]);
    if (!target) return "no control of that name";
    target->clearFocus();
    if (isRunoffControl(w[1])) window_.runoffWindow()->fieldLostFocus(bareName(w[1]));
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::chooseLine(const std::vector<std::string>& w) {
    if (qobject_cast<QComboBox*>(widget(w[1]))) {
        // A list: picks the entry of that text, or types the text when there is none.
        window_.runoffWindow()->chooseListText(bareName(w[1]), w[2]);
        return std::nullopt;
    }
    // An option group: the element of that index.
    const auto index = parseInt(w[2]);
    if (!index) return "INDEX must be a whole number";
    auto* option = qobject_cast<QAbstractButton*>(widget(w[1] + "(" + w[2] + ")"));
    if (!option) return "no option of that name and index";
    option->click();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::checkLine(const std::vector<std::string>& w) {
    if (w[2] != "on" && w[2] != "off") return "the state is on or off";
    auto* box = qobject_cast<QCheckBox*>(widget(w[1]));
    if (!box) return "no check box of that name";
    box->setChecked(w[2] == "on");
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::doubleclickLine(const std::vector<std::string>& w) {
    RunoffWindow* runoff = window_.runoffWindow();
    if (w[1] != "chart" || !runoff) return "only the runoff window's chart takes a double-click";
    runoff->toggleChartSize();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::spinLine(const std::vector<std::string>& w) {
    if (w[2] != "up" && w[2] != "down") return "the direction is up or down";
    auto* button = qobject_cast<QAbstractButton*>(widget(w[1] + "." + w[2]));
    if (!button) return "no spinner of that name";
    button->click();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::buttonLine(const std::vector<std::string>& w) {
    auto* button = qobject_cast<QAbstractButton*>(widget(w[1]));
    if (!button) return "no button of that name";
    button->click();
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::resizeLine(const std::vector<std::string>& w) {
    const auto width = parseInt(w[1]), height = parseInt(w[2]);
    if (!width || !height || *width <= 0 || *height <= 0) return "W and H must be positive whole numbers";
    window_.showNormal();
    window_.resize(*width, *height);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::grabLine(const std::vector<std::string>& w) {
    // A picture of a window as it is now shown.
    QWidget* target = w[1] == runoffNames::Form3 ? static_cast<QWidget*>(window_.runoffWindow())
                      : w[1] == names::kForm1    ? &window_
                                                 : nullptr;
    if (!target) return "the window is Form1 or a loaded Form3";
    QApplication::processEvents();
    if (!target->grab().save(QString::fromStdString(w[2]))) return "cannot save the picture";
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::showLine(const std::vector<std::string>& w) {
    // The plain text of a text box or the caption, for reading a session's result.
    QWidget* target = widget(w[1]);
    if (auto* text = qobject_cast<QPlainTextEdit*>(target)) {
        out_ << text->toPlainText().toStdString() << '\n';
    } else if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        out_ << edit->text().toStdString() << '\n';
    } else if (target == &window_) {
        // The measuring logic's caption, without the project's name the title adds.
        out_ << window_.document().controls().caption << '\n';
    } else if (target) {
        out_ << target->windowTitle().toStdString() << '\n';
    } else {
        return "no control of that name";
    }
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::keyLine(const std::vector<std::string>& w) {
    // "Plus" and "Minus" name the keys whose own texts are the separator and a sign in key names.
    QKeyCombination combination(Qt::Key_unknown);
    if (w[1] == "Plus") {
        combination = QKeyCombination(Qt::Key_Plus);
    } else if (w[1] == "Minus") {
        combination = QKeyCombination(Qt::Key_Minus);
    } else {
        const QKeySequence sequence =
            QKeySequence::fromString(QString::fromStdString(w[1]), QKeySequence::PortableText);
        if (sequence.count() == 1) combination = sequence[0];
    }
    if (combination.key() == Qt::Key_unknown) return "no key of that name";
    QKeyEvent event(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    // The key goes to the window as a key no control took.
    QCoreApplication::sendEvent(&window_, &event);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::actionLine(const std::vector<std::string>& w) {
    if (!window_.triggerMenuEntry(w[1])) return "no such entry in the menu bar";
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::titleLine(const std::vector<std::string>&) {
    // The measuring window's title as shown: the project's name, "*" with unsaved changes, the caption.
    out_ << window_.shownTitle() << '\n';
    return std::nullopt;
}

}  // namespace brelvo::app
