#include "channels/channel_editor.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "model/channel_editor.h"
#include "model/channel_table.h"

#include <algorithm>

namespace zt {

int ChannelEditor::ChannelGroup() const {
    const int g = doc.work.settings.Options.Features.ChannelGroup;
    return g >= 0 && g <= kVfoGroup ? g : 0;
}

ChannelEditor::ChannelEditor(AppState& a, Document& d) : app(a), doc(d) {
    ChannelEditorHooks& h = doc.editor;
    h.GridOpen = false;
    h.EditWindowOpen = false;
    h.RedisplayGrids = [this] {
        if (grid != nullptr) {
            grid->ReshowByCh();
            grid->ReShowAllRows();
        }
    };
    h.RedisplayChannel = [this](int channelNo) {
        if (grid != nullptr)
            grid->reShowGrid(channelNo);
    };
    h.ReloadEditWindow = [this] {
        if (edit != nullptr)
            edit->SetGridEditData(true);
    };
}

ChannelEditor::~ChannelEditor() {
    // The document outlives the windows: leave it no hooks into them.
    ChannelEditorHooks& h = doc.editor;
    h.GridOpen = false;
    h.EditWindowOpen = false;
    h.RedisplayGrids = nullptr;
    h.RedisplayChannel = nullptr;
    h.ReloadEditWindow = nullptr;
}

void ChannelEditor::SetChannelGroup(int g) {
    features().ChannelGroup = static_cast<i16>(std::clamp(g, 0, kVfoGroup));
}

ChannelRecord* ChannelEditor::Find(int no) {
    const int slot = FindChannel(doc.work, no);
    return slot < 0 ? nullptr : &doc.work.channels[static_cast<std::size_t>(slot)];
}

bool ChannelEditor::SetCell(int group, int row, int column, const std::string& text) {
    return SetChannelCell(app, doc, group, row, column, text);
}

bool ChannelEditor::SetCell(int group, int row, int column, int value) {
    return SetChannelCell(app, doc, group, row, column, value);
}

void ChannelEditor::GridLoaded(frmCommChInfo* w) {
    grid = w;
    doc.editor.GridOpen = true;
}

void ChannelEditor::GridUnloaded(frmCommChInfo* w) {
    if (grid != w)
        return;
    grid = nullptr;
    doc.editor.GridOpen = false;
}

void ChannelEditor::EditWindowLoaded(FrmCHInfoEdit* w) {
    edit = w;
    doc.editor.EditWindowOpen = true;
}

void ChannelEditor::EditWindowUnloaded(FrmCHInfoEdit* w) {
    if (edit != w)
        return;
    edit = nullptr;
    doc.editor.EditWindowOpen = false;
}

int EffectiveDecodeTone(const ChannelRecord& r) {
    return r.Scrambler != 0 ? r.EncodeTone : r.DecodeTone;
}

} // namespace zt
