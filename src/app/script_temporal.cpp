// The script lines of the temporal distribution's dialog: the quartile section and the probability
// chosen from its lists, OK and Cancel, as the user does them.
#include <QDialogButtonBox>
#include <QPushButton>

#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "app/temporal_dialog.hpp"

namespace brelvo::app {

std::optional<std::string> ScriptRunner::temporalLine(const std::vector<std::string>& w) {
    const std::string verb = w.size() > 1 ? w[1] : std::string();
    const std::size_t count = w.size() - 2;  // the words after the verb
    const bool known = ((verb == "section" || verb == "probability") && count == 1) ||
                       ((verb == "ok" || verb == "cancel") && count == 0);
    if (!known) return "cannot execute this line";
    RunoffWindow* runoff = window_.runoffWindow();
    TemporalDialog* dialog = runoff ? runoff->temporalDialog() : nullptr;
    if (!dialog || !dialog->isVisible()) return "the temporal distribution dialog is not open";
    if (verb == "section") {
        if (!dialog->chooseSection(w[2])) return "the file has no section of that name";
    } else if (verb == "probability") {
        if (!dialog->chooseProbability(w[2])) return "the section has no column of that name";
    } else if (verb == "ok") {
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    } else {
        dialog->reject();
    }
    return std::nullopt;
}

}  // namespace brelvo::app
