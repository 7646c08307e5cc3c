// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid: the group header above the grid - the group list, the group's name, its two
// special channels and their AM/FM flags - and the window's caption.
#include "channels/frm_comm_ch_info.h"

#include "channels/frm_comm_ch_info_parts.h"
#include "codec/numbers.h"
#include "common/legacy_text.h"
#include "common/twips.h"
#include "model/channel_table.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace zt {

using namespace chgrid;

void frmCommChInfo::writeCaption(int firstId) {
    const int g = ed_.ChannelGroup();
    setWindowTitle(Q(ed_.Text(firstId)) + " " + FromLegacy(ed_.app, GroupLabel(ed_.doc.work.settings, g)) +
                   " --- " + " " + QString::number(CurrentRow) + "]");
}

void frmCommChInfo::placeLabels() {
    const int margin = Tw(120, this);
    const int gap = Tw(50, this);
    const int h = combo7_->sizeHint().height();
    int x = margin;
    int y = Tw(100, this);
    auto place = [&](QLabel* label, QWidget* control, int widthTw) {
        label->adjustSize();
        x += label->width() + gap;
        control->setGeometry(x, y, Tw(widthTw, this), h);
        PlaceLabelLeft(label, control, 50);
        x += control->width() + Tw(200, this);
    };
    place(label1_, combo7_, 800);
    place(label2_, text3_, 700);
    const int btnW = std::max(cmdEdit_->sizeHint().width(), Tw(1200, this));
    cmdEdit_->setGeometry(x, y, btnW, h);
    cmdClose_->setGeometry(x + btnW + Tw(100, this), y,
                           std::max(cmdClose_->sizeHint().width(), Tw(900, this)), h);
    x = margin;
    y += h + Tw(100, this);
    for (std::size_t i = 0; i < 4; ++i)
        place(label3_[i], combo8_[i], i < 2 ? 700 : 750);
    const int gridTop = y + h + Tw(120, this);
    const int right = std::max({x, cmdClose_->geometry().right() + margin, Tw(6800, this)});
    grid_->setGeometry(margin, gridTop, Tw(6200, this), height() - gridTop - margin);
    setMinimumWidth(std::max(right, grid_->geometry().right() + margin));
    if (width() < minimumWidth())
        resize(minimumWidth(), height());
}

void frmCommChInfo::ReshowByCh() {
    const int g = ed_.ChannelGroup();
    QStringList chans;
    for (int n : GroupChannelList(ed_.doc.work, g))
        chans << QString::number(n);
    combo8_[0]->setEntries(chans);
    combo8_[1]->setEntries(chans);
    if (g != kVfoGroup) {
        // A stored channel number that the list lacks shows (and becomes) the list's first entry.
        const auto& f = ed_.features();
        for (std::size_t i = 0; i < 2; ++i) {
            const std::size_t slot = 2 * static_cast<std::size_t>(g) + i;
            combo8_[i]->showMatching(QString::number(f.GroupChan[slot]));
            combo8_[2 + i]->showValue(f.GroupFlag[slot]);
        }
    }
}

void frmCommChInfo::storeGroupName() {
    const int g = combo7_->currentIndex();
    if (g < 0 || g >= kMemoryGroups)
        return;
    std::string name = TrimFixed(ToLegacy(ed_.app, text3_->text(), 3));
    if (name.size() < 3)
        name.push_back('\0');
    ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(g)] = name;
    writeCaption(kCaptionGroup);
    route(Refresh::GroupNames);
}

// The group's two special channels (stored as channel numbers) and its two AM/FM flags (stored as
// positions); showing a group stores what its lists show.
void frmCommChInfo::onHeaderPick(int i, int idx) {
    const int g = combo7_->currentIndex();
    if (g < 0 || g >= kMemoryGroups)
        return;
    auto& f = ed_.features();
    const std::size_t slot = static_cast<std::size_t>(2 * g + (i % 2));
    if (i < 2) {
        const auto n = ParseNumber(combo8_[static_cast<std::size_t>(i)]->itemText(idx).toStdString());
        f.GroupChan[slot] = n ? static_cast<i16>(*n) : 0;
    } else {
        f.GroupFlag[slot] = static_cast<i16>(idx);
    }
}

} // namespace zt
