#include "channels/channel_editor.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "model/channel_table.h"

#include <algorithm>

namespace zt {

int ChannelEditor::ChannelGroup() const {
    const int g = doc.work.settings.Options.Features.ChannelGroup;
    return g >= 0 && g <= kVfoGroup ? g : 0;
}

void ChannelEditor::SetChannelGroup(int g) {
    features().ChannelGroup = static_cast<i16>(std::clamp(g, 0, kVfoGroup));
}

ChannelRecord* ChannelEditor::Find(int no) {
    const int slot = FindChannel(doc.work, no);
    return slot < 0 ? nullptr : &doc.work.channels[static_cast<std::size_t>(slot)];
}

void ChannelEditor::SetCell(int group, int row, int column, const std::string& text) {
    if (!setChannelCell)
        return;
    setChannelCell(group, row, column, text);
    Refresh(GroupBase(group) + row, column == 1);
}

void ChannelEditor::SetCell(int group, int row, int column, int value) {
    if (!setChannelCell)
        return;
    setChannelCell(group, row, column, value);
    Refresh(GroupBase(group) + row, column == 1);
}

void ChannelEditor::Refresh(int channelNo, bool rxChanged) {
    if (grid != nullptr) {
        if (rxChanged) {
            grid->ReshowByCh();
            grid->ReShowAllRows();
        }
        grid->reShowGrid(channelNo);
    }
    if (edit != nullptr)
        edit->SetGridEditData(true);
}

int EffectiveDecodeTone(const ChannelRecord& r) {
    return r.Scrambler != 0 ? r.EncodeTone : r.DecodeTone;
}

} // namespace zt
