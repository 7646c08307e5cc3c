// SPDX-License-Identifier: GPL-3.0-or-later
// Every question and message box of the program goes through one Prompter, so that tests can
// answer dialogs and the core can report without knowing about windows.
#pragma once

#include <string>
#include <vector>

namespace zt {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows `text` (already looked up) with an icon and buttons; returns the button chosen.
    virtual Answer ask(const std::string& text, Icon icon, Buttons buttons,
                       const std::string& title = {}) = 0;
    void message(const std::string& text, Icon icon = Icon::None) { ask(text, icon, Buttons::Ok); }
};

// Answers every question with a fixed answer and remembers what was asked (tests, command line).
class RecordingPrompter : public Prompter {
  public:
    struct Asked {
        std::string text;
        Icon icon;
        Buttons buttons;
        std::string title;
    };
    Answer reply = Answer::Ok;
    std::vector<Asked> asked;
    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override {
        asked.push_back({text, icon, buttons, title});
        if (reply == Answer::Yes && (buttons == Buttons::Ok || buttons == Buttons::OkCancel))
            return Answer::Ok;
        if (reply == Answer::Ok && (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel))
            return Answer::Yes;
        // Any agreeing reply retries a Retry/Cancel question, and Retry agrees to the others.
        if ((reply == Answer::Ok || reply == Answer::Yes) && buttons == Buttons::RetryCancel)
            return Answer::Retry;
        if (reply == Answer::Retry && buttons != Buttons::RetryCancel)
            return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes : Answer::Ok;
        return reply;
    }
};

} // namespace zt
