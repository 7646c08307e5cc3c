// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid: the display of a group - picking a group, writing its rows from the
// channel table, and the refreshes other windows ask for.
#include "channels/frm_comm_ch_info.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info_parts.h"
#include "codec/freq.h"
#include "common/legacy_text.h"
#include "model/channel_table.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

#include <exception>

namespace zt {

using namespace chgrid;

void frmCommChInfo::SetGridData() {
    try {
        const int g = ClampGroup(ed_.ChannelGroup());
        {
            const QSignalBlocker block(combo7_);
            combo7_->setCurrentIndex(g);
        }
        onGroupPicked(g);
        if (ed_.host != nullptr)
            ed_.host->LoadTree();
    } catch (const std::exception& e) {
        fail(kFailShowGroup, e);
    }
}

void frmCommChInfo::ChangeGroup() {
    const int g = ClampGroup(ed_.EditGroup());
    {
        const QSignalBlocker block(combo7_);
        combo7_->setCurrentIndex(g);
    }
    onGroupPicked(g);
}

void frmCommChInfo::onGroupPicked(int index) {
    if (index < 0)
        return;
    // A group can be picked without the focus leaving the cell editor (the mouse wheel over the
    // group list): what is typed there belongs to the group shown until now.
    if (GridReady)
        CommitPendingEdit();
    ed_.SetChannelGroup(index);
    ed_.EditGroup() = index;
    grid_->setUpdatesEnabled(false);
    ResetGridRows();
    ShowRowHeaders();
    writeCaption(kCaptionGroup);
    const bool vfo = index == kVfoGroup;
    text3_->setText(
        vfo ? QString("VFO")
            : FromLegacy(ed_.app,
                         ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(index)].trimmed()));
    text3_->setEnabled(!vfo);
    for (std::size_t i = 0; i < 4; ++i) {
        label3_[i]->setVisible(!vfo);
        combo8_[i]->setVisible(!vfo);
    }
    ReshowByCh();
    ReShowAllRows();
    grid_->setUpdatesEnabled(true);
    if (!vfo)
        SetShowEditData();
    if (ed_.EditWindowOpen())
        ed_.edit->SetGridEditData(true);
}

void frmCommChInfo::ReShowAllRows() {
    const int rows = rowCount();
    for (int r = 1; r < rows; ++r)
        clearRow(r);
    const int g = ed_.ChannelGroup();
    const int base = GroupBase(g);
    const bool asOffset = ed_.TxAsOffset();
    const auto& doc = ed_.doc.work;
    for (int i = 0; i < doc.count() && i < kMaxChannels; ++i) {
        const ChannelRecord& r = doc.channels[static_cast<std::size_t>(i)];
        const int row = r.ChannelNo - base;
        if (row > 0 && row < rows)
            writeRow(row, r, asOffset);
    }
}

void frmCommChInfo::clearRow(int row) {
    for (int c = col::RxFreq; c <= kLastDataCol; ++c)
        setCell(row, c, {});
}

void frmCommChInfo::writeRow(int row, const ChannelRecord& r, bool txAsOffset) {
    const AppState& app = ed_.app;
    if (StoredRxIsJunk(r.RxFreq.raw()) && app.prompter != nullptr)
        app.prompter->message(ed_.Text(kRxJunk) + " " + std::to_string(r.ChannelNo), Icon::Warning);
    setCell(row, col::RxFreq, Q(RxText(app, r.RxFreq.raw())));
    setCell(row, col::TxFreq, Q(TxText(app, r.RxFreq.raw(), r.TxOffset.raw(), r.TxOffsetDir, txAsOffset)));
    setCell(row, col::DecodeTone, Entry(toneTexts_, r.DecodeTone));
    setCell(row, col::EncodeTone, Entry(toneTexts_, r.EncodeTone));
    setCell(row, col::ScanSkip, Entry(Texts(ed_, kScanSkipTexts), r.ScanSkip));
    setCell(row, col::OptSignal, Entry(Texts(ed_, kOptSignalTexts), r.OptSignal));
    setCell(row, col::Spacing, Entry(Texts(ed_, kSpacingTexts), r.Spacing));
}

void frmCommChInfo::reShowGrid(int rRow) {
    try {
        const int row = rRow - GroupBase(ed_.ChannelGroup());
        const ChannelRecord* r = ed_.Find(rRow);
        if (row < 1 || row >= rowCount())
            return;
        if (r == nullptr) {
            clearRow(row);
            return;
        }
        writeRow(row, *r, ed_.TxAsOffset());
        BusyLockCheck(ed_, rRow);
    } catch (const std::exception& e) {
        fail(kFailShowGroup, e);
    }
}

void frmCommChInfo::ReShowAllTxFre(bool rOffSet) {
    auto* h = new QTableWidgetItem(Q(ed_.Text(rOffSet ? kTxOffsetHeaderId : kHeaderIds[col::TxFreq])));
    h->setForeground(kHeaderText);
    grid_->setHorizontalHeaderItem(col::TxFreq - 1, h);
    const int base = GroupBase(ed_.ChannelGroup());
    for (int row = 1; row < rowCount(); ++row) {
        if (const ChannelRecord* r = ed_.Find(base + row))
            setCell(row, col::TxFreq,
                    Q(TxText(ed_.app, r->RxFreq.raw(), r->TxOffset.raw(), r->TxOffsetDir, rOffSet)));
    }
}

void frmCommChInfo::refresh(Refresh what) {
    const int g = combo7_->currentIndex();
    switch (what) {
    case Refresh::TxAsOffset:
        ReShowAllTxFre(ed_.TxAsOffset());
        break;
    case Refresh::FreqEdit:
        // Whether frequencies may be edited changed: what is typed is stored, the editors close.
        CommitPendingEdit();
        SetEditDisable();
        break;
    case Refresh::GroupNames:
        // The name box and the caption show the group's name.
        if (g >= 0 && g < kMemoryGroups) {
            const QSignalBlocker block(text3_);
            text3_->setText(
                FromLegacy(ed_.app, ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(g)].trimmed()));
        }
        writeCaption(kCaptionGroup);
        break;
    default:
        break;
    }
}

} // namespace zt
