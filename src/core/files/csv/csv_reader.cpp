// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/csv/csv_reader.h"

namespace zt::csv {

namespace {

enum class State {
    RecordStart, // nothing of a record yet
    FieldStart,  // after a separator, or blanks at the start of a field
    Plain,       // in an unquoted field
    Quoted,      // inside quotes
    QuoteSeen,   // a '"' inside quotes: closing, or the first of a doubled quote
    AfterQuote,  // blanks after a closing quote
};

class Splitter {
  public:
    Splitter(char separator, const std::function<void(Record&)>& onRecord)
        : separator_(separator), onRecord_(onRecord) {}

    ReadResult run(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            const bool lineEnd = c == '\r' || c == '\n';
            // A LF right after a CR belongs to the same line end.
            const bool secondHalf = c == '\n' && i > 0 && text[i - 1] == '\r';
            step(c, lineEnd);
            if (lineEnd && !secondHalf)
                ++line_;
        }
        if (state_ == State::Quoted) {
            result_.quoteNotClosed = true;
            result_.quoteLine = quoteLine_;
            return result_;
        }
        if (state_ != State::RecordStart)
            endRecord();
        return result_;
    }

  private:
    bool blank(char c) const { return (c == ' ' || c == '\t') && c != separator_; }

    void step(char c, bool lineEnd) {
        switch (state_) {
        case State::RecordStart:
            if (lineEnd)
                return; // blank line, or the LF of a CRLF
            record_.line = line_;
            state_ = State::FieldStart;
            [[fallthrough]];
        case State::FieldStart:
            if (c == separator_) {
                endField();
            } else if (lineEnd) {
                endRecord();
            } else if (c == '"') {
                state_ = State::Quoted;
                quoteLine_ = line_;
            } else if (!blank(c)) {
                field_ += c;
                state_ = State::Plain;
            }
            return;
        case State::Plain:
            if (c == separator_)
                endField();
            else if (lineEnd)
                endRecord();
            else
                field_ += c;
            return;
        case State::Quoted:
            if (c == '"')
                state_ = State::QuoteSeen;
            else
                field_ += c; // line breaks inside quotes are the field's, as they are
            return;
        case State::QuoteSeen:
            if (c == '"') {
                field_ += '"';
                state_ = State::Quoted;
                return;
            }
            state_ = State::AfterQuote;
            closedAt_ = field_.size();
            [[fallthrough]];
        case State::AfterQuote:
            // Blanks here belong to the field only when more text follows them.
            if (c == separator_) {
                endField();
            } else if (lineEnd) {
                endRecord();
            } else {
                field_ += c;
                if (!blank(c))
                    state_ = State::Plain;
            }
            return;
        }
    }

    void endField() {
        if (state_ == State::AfterQuote)
            field_.resize(closedAt_);
        record_.fields.push_back(std::move(field_));
        field_.clear();
        state_ = State::FieldStart;
    }

    void endRecord() {
        if (state_ == State::AfterQuote)
            field_.resize(closedAt_);
        record_.fields.push_back(std::move(field_));
        field_.clear();
        state_ = State::RecordStart;
        if (!record_.fields.front().empty() && record_.fields.front().front() == '#')
            ++result_.commentLines;
        else
            onRecord_(record_);
        record_.fields.clear();
    }

    char separator_;
    const std::function<void(Record&)>& onRecord_;
    State state_ = State::RecordStart;
    Record record_;
    std::string field_;
    std::size_t closedAt_ = 0; // size of the field when its closing quote came
    int line_ = 1;
    int quoteLine_ = 0;
    ReadResult result_;
};

} // namespace

ReadResult ReadRecords(std::string_view text, char separator, const std::function<void(Record&)>& onRecord) {
    return Splitter(separator, onRecord).run(text);
}

} // namespace zt::csv
