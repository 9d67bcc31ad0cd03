// The dialogs as the measuring logic asks them: before a dialog shows, the window draws the changes the
// step has made so far, so that the user answers over the window as it now is.
#pragma once

#include "common/dialogs.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::app {

class DocumentDialogs : public common::Dialogs {
  public:
    DocumentDialogs(common::Dialogs& dialogs, measure::MeasureDocument& doc) : dialogs_(dialogs), doc_(doc) {}

    void message(const std::string& text) override {
        doc_.flush();
        dialogs_.message(text);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        doc_.flush();
        return dialogs_.inputBox(prompt, title, defaultText);
    }
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override {
        doc_.flush();
        return dialogs_.fileDialog(request);
    }
    bool confirm(const std::string& question, const std::string& goOn) override {
        doc_.flush();
        return dialogs_.confirm(question, goOn);
    }

  private:
    common::Dialogs& dialogs_;
    measure::MeasureDocument& doc_;
};

}  // namespace brelvo::app
