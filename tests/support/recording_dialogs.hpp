// A dialogs port for domain tests: records every message and prompt, answers from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs.hpp"

namespace brelvo::testing_support {

class RecordingDialogs : public common::Dialogs {
public:
    std::vector<std::string> messages;
    std::vector<common::FileDialogRequest> fileRequests;
    std::deque<std::optional<std::string>> answers;

    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string& prompt, const std::string&, const std::string&) override {
        messages.push_back(prompt);
        return next().value_or(std::string());
    }
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return next();
    }

private:
    std::optional<std::string> next() {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace brelvo::testing_support
