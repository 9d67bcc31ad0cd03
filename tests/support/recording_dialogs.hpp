// A dialogs port for domain tests: records every message, input box and file dialog, answers from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs.hpp"

namespace brelvo::testing_support {

class RecordingDialogs : public common::Dialogs {
  public:
    struct InputRequest {
        std::string prompt;
        std::string title;
        std::string defaultText;
    };

    // Message boxes only; input boxes are kept apart in inputRequests.
    std::vector<std::string> messages;
    std::vector<InputRequest> inputRequests;
    std::vector<common::FileDialogRequest> fileRequests;

    // Answers for input boxes and file dialogs in the order they are asked. An input box answers
    // the empty text once the queue is empty (or for a queued no-value), as a cancelled box does.
    std::deque<std::optional<std::string>> answers;

    // The answer every file dialog gives once the queue is empty; no value means cancelled.
    std::optional<std::string> fileAnswer;

    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        inputRequests.push_back({prompt, title, defaultText});
        return next().value_or(std::string());
    }
    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (answers.empty()) return fileAnswer;
        return next();
    }

    // Questions before a loss; each takes the next queued answer: the button's text goes on, anything
    // else (or none left) cancels.
    std::vector<std::string> questions;
    bool confirm(const std::string& question, const std::string& goOn) override {
        questions.push_back(question);
        return next() == goOn;
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
