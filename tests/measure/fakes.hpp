// Test doubles for the measuring logic: a map surface with settable geometry and a scripted dialogs port.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs.hpp"
#include "measure/map_surface.hpp"

namespace brelvo::measure {

// The measuring window as plain values; the window actions are only counted.
class FakeSurface : public MapSurface {
public:
    float imageLeftValue = 0;
    float imageTopValue = 0;
    float viewHeightValue = 0;

    int resetPictureCalls = 0;
    int relayoutCalls = 0;
    int runoffWindowCalls = 0;
    int helpCalls = 0;

    float imageLeft() const override { return imageLeftValue; }
    float imageTop() const override { return imageTopValue; }
    float viewHeight() const override { return viewHeightValue; }

    void resetPictureToNaturalSize() override { ++resetPictureCalls; }
    void relayoutView() override { ++relayoutCalls; }
    void openRunoffWindow() override { ++runoffWindowCalls; }
    void openHelp() override { ++helpCalls; }
};

// Records every message and input box; input boxes answer from a queue, then with the empty text.
class FakeDialogs : public common::Dialogs {
public:
    struct InputRequest {
        std::string prompt;
        std::string title;
    };

    std::vector<std::string> messages;
    std::vector<InputRequest> inputRequests;
    std::deque<std::string> answers;

    void message(const std::string& text) override { messages.push_back(text); }

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        (void)defaultText;
        inputRequests.push_back({prompt, title});
        if (answers.empty()) return "";
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<std::string> fileDialog(const common::FileDialogRequest& request) override {
        (void)request;
        return std::nullopt;
    }
};

}  // namespace brelvo::measure
