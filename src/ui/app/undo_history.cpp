// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/undo_history.h"

namespace zt {

bool SameCopy(const DocumentCopy& a, const DocumentCopy& b) {
    return a.settings == b.settings && a.channels == b.channels;
}

void UndoHistory::Reset(const DocumentCopy& current) {
    states_.clear();
    states_.push_back(current);
    pos_ = 0;
    runSource_ = nullptr;
}

bool UndoHistory::Record(const DocumentCopy& current, const void* source) {
    if (SameCopy(states_[pos_], current)) {
        // Another control was used without a change: a later change of the box is a new step.
        if (source != runSource_)
            runSource_ = nullptr;
        return false;
    }
    const bool sameRun = source != nullptr && source == runSource_ && pos_ > 0 && !CanRedo();
    runSource_ = source;
    if (sameRun) {
        states_[pos_] = current;
        return true;
    }
    states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(pos_) + 1, states_.end());
    states_.push_back(current);
    ++pos_;
    if (states_.size() > kMaxSteps + 1) {
        states_.pop_front();
        --pos_;
    }
    return true;
}

void UndoHistory::Rebase(const DocumentCopy& current) {
    states_[pos_] = current;
}

const DocumentCopy& UndoHistory::Undo() {
    runSource_ = nullptr;
    if (CanUndo())
        --pos_;
    return states_[pos_];
}

const DocumentCopy& UndoHistory::Redo() {
    runSource_ = nullptr;
    if (CanRedo())
        ++pos_;
    return states_[pos_];
}

} // namespace zt
