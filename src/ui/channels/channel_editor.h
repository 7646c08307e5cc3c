// The state the channel grid and the channel edit window share: the group and cell being
// edited, which of the two windows is open, and the one way both of them change a channel
// (SetCell, which stores through SetChannelCell and redisplays the open windows).
#pragma once

#include "app/app_state.h"
#include "model/document.h"

#include <functional>
#include <string>
#include <variant>

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
};

struct GridCell {
    int col = 1; // 0..10
    int row = 1; // 1..40
};

struct ChannelEditor {
    ChannelEditor(AppState& a, Document& d) : app(a), doc(d) {}

    AppState& app;
    Document& doc;
    ChannelHost* host = nullptr;

    int EditGroup = 0;
    GridCell EditCell;
    frmCommChInfo* grid = nullptr; // set while the grid window is loaded
    FrmCHInfoEdit* edit = nullptr; // set while the edit window is loaded

    bool GridOpen() const { return grid != nullptr; }
    bool EditWindowOpen() const { return edit != nullptr; }

    FeatureBlock& features() { return doc.work.settings.Options.Features; }
    int ChannelGroup() const;
    void SetChannelGroup(int g);
    bool FreqEditable() const { return doc.work.settings.Options.Features.FreqEditable != 0; }
    // Frequencies of groups 0..6 are fixed unless the radio-wide option allows editing them.
    bool FrequencyEditable(int group) const { return group > 6 || FreqEditable(); }
    bool TxAsOffset() const { return app.habits.TxAsOffset; }

    // The record of channel `no`, or nullptr when the table has none.
    ChannelRecord* Find(int no);

    // Changes one field of channel 40g + row (column ids of the channel table) and redisplays
    // the open channel windows.
    void SetCell(int group, int row, int column, const std::string& text);
    void SetCell(int group, int row, int column, int value);
    // Redisplays the open channel windows after a change of channel `channelNo`.
    void Refresh(int channelNo, bool rxChanged);

    // The channel table's single setter (validates, stores, keeps the group channels), set up
    // by whoever creates the editor state.
    using CellValue = std::variant<std::string, int>;
    std::function<void(int group, int row, int column, const CellValue& value)> setChannelCell;

    // Texts of the channel windows' lists.
    std::string Text(int id) const { return app.LangText(id); }
};

// Effective decode tone of a channel: the encode tone when the scrambler is on.
int EffectiveDecodeTone(const ChannelRecord& r);

// Busy lock 2 (lock on a wrong tone) needs a decode tone: without one it becomes 1. While the
// edit window is open its busy-lock list is refilled and the stored value normalised to what the
// list offers (so a stored 3 becomes 0 once the channel is shown).
void BusyLockCheck(ChannelEditor& ed, int channelNo);

} // namespace zt
