// What the link engine needs from a command line: answers to its questions, the password, a
// progress bar on stderr, and the end of the exchange.
#pragma once

#include "link/link_io.h"
#include "util/prompter.h"

#include <optional>
#include <string>

namespace zt {

// Answers questions as the command line's flags say and keeps the messages shown, so that a
// failure can be reported in one line.
class CliPrompter : public Prompter {
  public:
    bool yes = false;         // --yes: confirm every question
    int retries = 1;          // how often the "communication failed, retry?" question is answered OK
    std::string retryText;    // the text of that question, to recognise it
    bool verbose = false;     // echo every message on stderr
    bool interactive = false; // stdin is a terminal: questions not covered by a flag are asked there

    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override;

    // The last message or question shown, on one line ("" when none).
    const std::string& lastText() const { return last_; }
    // The last question answered no because neither a flag nor the user confirmed it.
    const std::string& declined() const { return declined_; }

  private:
    std::string last_;
    std::string declined_;
};

class CliHost : public LinkHost {
  public:
    bool progressBar = true;
    std::optional<std::string> password; // --password
    bool interactive = false;

    void openProgress(LinkMode mode) override;
    void setProgress(int percent) override;
    void closeProgress() override;
    bool askPassword(std::string& password) override;
    void handOver(const std::string& radioVersion) override;
    void exchangeEnded(LinkMode mode, bool ok) override;

    bool ended() const { return ended_; }
    bool ok() const { return ok_; }
    // Set when the radio needs another program version: the version it reported.
    const std::string& handOverVersion() const { return handOverVersion_; }

  private:
    void drawBar(int percent);
    bool barShown_ = false;
    bool ended_ = false;
    bool ok_ = false;
    bool passwordOffered_ = false;
    std::string handOverVersion_;
};

// One line of text: line breaks become blanks, surrounding blanks removed.
std::string OneLine(const std::string& text);

} // namespace zt
