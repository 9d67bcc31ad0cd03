// The runoff window's marks on refused boxes: a red frame and the refusal's line as the tooltip.
#include <QLineEdit>

#include "app/runoff_window.hpp"
#include "basin/box_check.hpp"

namespace brelvo::app {

void RunoffWindow::markRefused(const std::vector<runoff::RefusedBox>& refused) {
    const auto earlier = marked_;
    for (const auto& mark : earlier) unmark(mark.first);
    markBoxes(refused);
}

void RunoffWindow::markBoxes(const std::vector<runoff::RefusedBox>& refused) {
    for (const runoff::RefusedBox& box : refused) {
        const auto e = edits_.find(box.name);
        if (e == edits_.end()) continue;
        marked_[box.name] = box.line();
        e->second->setStyleSheet(
            QStringLiteral("QLineEdit { border: 2px solid #d00000; background: #ffe4e4; }"));
        e->second->setToolTip(QString::fromStdString(box.line()));
    }
}

void RunoffWindow::unmark(const std::string& name) {
    const auto m = marked_.find(name);
    if (m == marked_.end()) return;
    marked_.erase(m);
    if (const auto e = edits_.find(name); e != edits_.end()) {
        e->second->setStyleSheet(QString());
        e->second->setToolTip(QString());
    }
}

void RunoffWindow::markRead(const basin::BoxReport& report) {
    // The basin block's boxes are framed as they are read, and named when they are left.
    for (const std::string& name : report.read) unmark(name);
    markBoxes(report.refused);
    // The message takes the focus from the next box, whose leaving must not tell it a second time.
    if (!report.tell || telling_) return;
    telling_ = true;
    dialogs_.message(basin::refusalMessage(report.refused));
    telling_ = false;
}

}  // namespace brelvo::app
