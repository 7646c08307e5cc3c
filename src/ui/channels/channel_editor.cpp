// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/channel_editor.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "model/channel_editor.h"
#include "model/channel_table.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace zt {

int ChannelEditor::ChannelGroup() const {
    const int g = doc.work.settings.Options.Features.ChannelGroup;
    return IsGroup(g) ? g : 0;
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
    h.ChannelsChanged = [this] {
        if (ChannelsChanged)
            ChannelsChanged();
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
    h.ChannelsChanged = nullptr;
}

void ChannelEditor::SetChannelGroup(int g) {
    features().ChannelGroup = static_cast<i16>(ClampGroup(g));
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

void FillList(QComboBox* c, const std::vector<QString>& items) {
    const QSignalBlocker block(c);
    c->clear();
    for (const QString& s : items)
        c->addItem(s);
}

bool SwallowFrequencyKey(const QKeyEvent* k, bool allowSign) {
    if (k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste))
        return true;
    const QString t = k->text();
    if (t.size() != 1)
        return false;
    const QChar ch = t.at(0);
    if (ch.unicode() > 127)
        return true;
    if (ch.unicode() < 32 || ch.unicode() == 127)
        return false;
    if (ch.isDigit() || ch == '.')
        return false;
    return !(allowSign && (ch == '+' || ch == '-'));
}

} // namespace zt
