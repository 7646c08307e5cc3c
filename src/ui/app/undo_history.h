// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of the document's working copy: one snapshot of the working copy per step.
// The main window records a step after each user input that changed the working copy; typing
// into one text box adds to the step it started. A snapshot is sizeof(DocumentCopy) bytes (about
// 46 KB), so the history holds at most kMaxSteps of them beyond the current state.
#pragma once

#include "model/document.h"

#include <cstddef>
#include <deque>

namespace zt {

class UndoHistory {
  public:
    static constexpr std::size_t kMaxSteps = 200;

    // Forgets every step: `current` is the state nothing can be undone beyond.
    void Reset(const DocumentCopy& current);
    // Records `current` when it differs from the state shown now. With `source` (the text box
    // being typed into) equal to the source of the step on top, that step takes the change
    // instead (one step for a run of typing); any other source ends the run. Returns whether a
    // change was recorded.
    bool Record(const DocumentCopy& current, const void* source);
    // Ends a run of typing: the next change becomes a step of its own.
    void EndRun() { runSource_ = nullptr; }
    // The state now shown takes `current` without a step (a window normalised what it shows).
    void Rebase(const DocumentCopy& current);

    bool CanUndo() const { return pos_ > 0; }
    bool CanRedo() const { return pos_ + 1 < states_.size(); }
    // The state to show after one step back or forward; only when CanUndo / CanRedo.
    const DocumentCopy& Undo();
    const DocumentCopy& Redo();

    // The state shown now.
    const DocumentCopy& Current() const { return states_[pos_]; }
    std::size_t UndoSteps() const { return pos_; }
    std::size_t RedoSteps() const { return states_.size() - pos_ - 1; }

  private:
    std::deque<DocumentCopy> states_{DocumentCopy{}};
    std::size_t pos_ = 0; // index of the state shown now
    const void* runSource_ = nullptr;
};

// Field by field: the settings record and every channel slot.
bool SameCopy(const DocumentCopy& a, const DocumentCopy& b);

} // namespace zt
