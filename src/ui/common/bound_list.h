// SPDX-License-Identifier: GPL-3.0-or-later
// A drop-down list bound to a stored value: the stored value selects the entry at that position
// (the first entry when the value has none), and a selection made by the program runs the same
// handler as the user's, so showing a stored value that has no entry stores the first entry's
// position back (opening a window normalises its record). The handler runs once per selection,
// whether the window is filling its controls or not: storing the value already stored is no
// change. Like every list of the program it takes the mouse wheel only while it has the focus.
#pragma once

#include "common/choice_list.h"

#include <QStringList>

#include <functional>

namespace zt {

class BoundList : public ChoiceList {
    Q_OBJECT
  public:
    using Handler = std::function<void(int index)>;

    explicit BoundList(QWidget* parent = nullptr);

    // Replaces the entries; nothing is selected and no handler runs.
    void setEntries(const QStringList& entries);
    // The handler that stores a selection (the user's or the program's).
    void onPick(Handler h) { handler_ = std::move(h); }
    // Selects the entry at `stored` (the first when out of range) and runs the handler.
    void showValue(int stored);
    // For lists whose stored value is the entry's text (a channel number, say): selects the entry
    // reading `text`, the first when none does, and runs the handler.
    void showMatching(const QString& text);
    // Position that `stored` selects: itself when in range, else 0 (-1 for an empty list).
    int positionFor(int stored) const;

  private:
    void userPicked(int index);

    Handler handler_;
    bool programmatic_ = false;
};

} // namespace zt
