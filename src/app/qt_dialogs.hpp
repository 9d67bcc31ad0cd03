// The dialogs port on Qt's message box, input box and file dialog, for a user at the screen.
#pragma once

#include <QWidget>

#include "common/dialogs.hpp"

namespace brelvo::app {

class QtDialogs : public common::Dialogs {
  public:
    // The window a dialog falls back to when none of the program's windows is active.
    void setParent(QWidget* parent) { parent_ = parent; }
    // A dialog belongs to the window it was opened from: the active one (the runoff window for its own
    // buttons), so that window is still in front when the dialog closes.
    QWidget* dialogParent() const;
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override;
    bool confirm(const std::string& question, const std::string& goOn) override;

    // "Pic files (*.bmp;*.jpg)|*.bmp;*.jpg|All files (*.*)|*.*|" as Qt name filters.
    static QStringList nameFilters(const std::string& filter);

  private:
    QWidget* parent_ = nullptr;
};

}  // namespace brelvo::app
