// SPDX-License-Identifier: GPL-3.0-or-later
// What the channel grid and the channel edit window share: the cell being edited, the window
// handles, and the one way both of them change a channel (SetCell, through SetChannelCell).
#pragma once

#include "app/app_state.h"
#include "common/editor_window.h"
#include "model/document.h"
#include "model/radio_rules.h"

#include <QString>

#include <functional>

#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;

namespace zt {

class frmCommChInfo;
class FrmCHInfoEdit;

// What the channel windows ask of the main window.
class ChannelHost {
  public:
    virtual ~ChannelHost() = default;
    // Shows or hides the channel clipboard menu and toolbar buttons.
    virtual void ShowCHInfo(bool show) = 0;
    // Rebuilds the navigation tree.
    virtual void LoadTree() = 0;
    // Opens the channel edit window, or gives it the focus when it is open.
    virtual void ShowEditWindow() = 0;
    // Tells the user something on the status line (until the next message replaces it).
    virtual void ShowStatus(const std::string& text) = 0;
};

struct GridCell {
    int col = 1; // 0..10
    int row = 1; // 1..40
};

// The channel windows' view of the document. Which windows are open and the group they edit
// live in the document's editor hooks (doc.editor), which SetChannelCell reads; this object
// keeps only the window handles and the cell being edited, and connects the hooks to the
// windows for as long as it exists.
struct ChannelEditor {
    ChannelEditor(AppState& a, Document& d);
    ~ChannelEditor();
    ChannelEditor(const ChannelEditor&) = delete;
    ChannelEditor& operator=(const ChannelEditor&) = delete;

    AppState& app;
    Document& doc;
    ChannelHost* host = nullptr;
    WindowRouter* router = nullptr; // the main window, which passes changes between windows

    GridCell EditCell;
    frmCommChInfo* grid = nullptr; // set while the grid window is loaded
    FrmCHInfoEdit* edit = nullptr; // set while the edit window is loaded
    // Runs when a channel was added to or deleted from the table (the main window routes it).
    std::function<void()> ChannelsChanged;

    int& EditGroup() { return doc.editor.EditGroup; }
    bool GridOpen() const { return doc.editor.GridOpen; }
    bool EditWindowOpen() const { return doc.editor.EditWindowOpen; }
    // The windows call these as they load and unload.
    void GridLoaded(frmCommChInfo* w);
    void GridUnloaded(frmCommChInfo* w);
    void EditWindowLoaded(FrmCHInfoEdit* w);
    void EditWindowUnloaded(FrmCHInfoEdit* w);

    FeatureBlock& features() { return doc.work.settings.Options.Features; }
    int ChannelGroup() const;
    void SetChannelGroup(int g);
    bool FreqEditable() const { return doc.work.settings.Options.Features.FreqEditable != 0; }
    // Whether the frequencies of a group may be edited (radio rule: fixed groups need the option).
    bool FrequencyEditable(int group) const { return zt::FrequencyEditable(group, FreqEditable()); }
    bool TxAsOffset() const { return app.habits.TxAsOffset; }

    // The record of channel `no`, or nullptr when the table has none.
    ChannelRecord* Find(int no);

    // Changes one field of channel 40g + row (column ids of the channel table) through
    // SetChannelCell, which redisplays the open windows through the document's hooks.
    bool SetCell(int group, int row, int column, const std::string& text);
    bool SetCell(int group, int row, int column, int value);

    // Texts of the channel windows' lists.
    std::string Text(int id) const { return app.LangText(id); }
};

// Busy lock 2 (lock on a wrong tone) needs a decode tone: without one it becomes 1. While the
// edit window is open its busy-lock list is refilled and the stored value normalised to what the
// list offers (so a stored 3 becomes 0 once the channel is shown).
void BusyLockCheck(ChannelEditor& ed, int channelNo);

// Replaces the entries of a list without signalling a change of its current entry.
void FillList(QComboBox* c, const std::vector<QString>& items);

// Key filter of the frequency boxes: true when the key is swallowed. Cut, copy and paste and
// characters beyond ASCII are; control keys, digits and the decimal point pass, and so do + and -
// where `allowSign` (a TX box that takes an offset); any other character is swallowed.
bool SwallowFrequencyKey(const QKeyEvent* k, bool allowSign);

} // namespace zt
