// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_scan.h"

#include "common/bound_list.h"
#include "common/label_rows.h"
#include "common/twips.h"
#include "settings/settings_lists.h"

#include <QCheckBox>
#include <QLabel>

#include <algorithm>

namespace zt {

namespace {

constexpr int kScanOn = 0, kMode = 1, kRevert = 6;
// Scan-block bytes of the priority pairs: group and channel, and their lists.
constexpr int kGroupByte[2] = {8, 10};
constexpr int kGroupList[2] = {2, 4};
// The entries of the full revert list that each priority mode offers.
const std::vector<int> kOffered[4] = {
    {0, 1, 4, 5}, {0, 1, 2, 4, 5, 6}, {0, 1, 3, 4, 5, 7}, {0, 1, 2, 3, 4, 5, 6, 7}};

} // namespace

FrmScan::FrmScan(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    for (std::size_t i = 0; i < kLists; ++i) {
        combo_[i] = AddLabelledList(this, label_[i], static_cast<int>(i));
    }
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
        chain_.add(combo_[static_cast<std::size_t>(i)]);
    check1_ = new QCheckBox(this);
    check1_->setObjectName("Check1");
    chain_.add(check1_);
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);

    list(kScanOn)->onPick([this](int index) {
        ApplyScanRules();
        byte(0) = static_cast<std::uint8_t>(index);
        if (index != 0)
            return;
        // The scan key does nothing with scanning off: no key keeps it.
        auto& keys = doc_.work.settings.Options.KeyBlock;
        bool changed = false;
        for (std::size_t slot = 2; slot <= 5; ++slot) {
            if (keys[slot] == kScanKeyFunction) {
                keys[slot] = 0;
                changed = true;
            }
        }
        if (changed)
            route(Refresh::KeySlots);
    });
    list(kMode)->onPick([this](int index) {
        InitRevertList();
        ApplyScanRules();
        showRevert();
        byte(1) = static_cast<std::uint8_t>(index);
    });
    for (int pair = 0; pair < 2; ++pair) {
        list(kGroupList[pair])->onPick([this, pair](int) { groupPicked(pair); });
        list(kGroupList[pair] + 1)->onPick([this, pair](int) {
            byte(kGroupByte[pair] + 1) =
                static_cast<std::uint8_t>(ShownNumber(list(kGroupList[pair] + 1)->currentText()));
        });
    }
    list(kRevert)->onPick([this](int index) {
        byte(2) = static_cast<std::uint8_t>(index >= 0 && index < static_cast<int>(revertShown_.size())
                                                ? revertShown_[static_cast<std::size_t>(index)]
                                                : 0);
    });
    for (int i : {7, 8})
        list(i)->onPick([this, i](int index) { byte(i - 4) = static_cast<std::uint8_t>(index + 5); });
    for (int i : {9, 10})
        list(i)->onPick([this, i](int index) { byte(i - 4) = static_cast<std::uint8_t>(index + 1); });
    connect(check1_, &QCheckBox::clicked, this, [this](bool on) { byte(7) = on ? 1 : 0; });
    loadWindow();
}

QStringList FrmScan::fullRevertList() const {
    const QString a1 = T(26002) + "1", a2 = T(26002) + "2", b = T(26033);
    return {T(26032), T(26032) + " + " + b, a1, a2, T(26034), T(26035), a1 + " + " + b, a2 + " + " + b};
}

void FrmScan::retranslate() {
    setWindowTitle(T(26000));
    for (int i = 0; i < kLists; ++i) {
        if (i == 3 || i == 5)
            label_[static_cast<std::size_t>(i)]->setText("-");
        else
            label_[static_cast<std::size_t>(i)]->setText(T(26001 + (i < 3 ? i : i == 4 ? 3 : i - 2)));
    }
    check1_->setText(T(26010));
    buttons_.setTexts(T(9023), T(9025));

    std::vector<LabelledRow> rows;
    for (int i : {0, 1, 2, 4, 6, 7, 8, 9, 10})
        rows.push_back({label_[static_cast<std::size_t>(i)], combo_[static_cast<std::size_t>(i)]});
    rows.push_back({nullptr, check1_});
    // Wide enough for the longest choice (the priority modes and revert choices join texts).
    int longest = 0;
    const QString a1 = T(26002) + "1", a2 = T(26002) + "2";
    for (const QString& t : fullRevertList() + QStringList{a1 + " + " + a2})
        longest = std::max(longest, fontMetrics().horizontalAdvance(t));
    const int wide = std::max(Tw(2600, this), longest + 40);
    const QPoint end = LayoutLabelledColumn(rows, 240, 240, wide * 1440 / qMax(1, logicalDpiX()), 420);
    // Each priority channel is a group list, a "-" and a channel list on one row.
    for (int pair = 0; pair < 2; ++pair) {
        BoundList* g = list(kGroupList[pair]);
        BoundList* c = list(kGroupList[pair] + 1);
        QLabel* dash = label_[static_cast<std::size_t>(kGroupList[pair] + 1)];
        const int half = (wide - Tw(300, this)) / 2;
        g->resize(half, g->height());
        c->setGeometry(g->x() + wide - half, g->y(), half, g->height());
        dash->adjustSize();
        dash->move(g->x() + half + (Tw(300, this) - dash->width()) / 2,
                   g->y() + (g->height() - dash->height()) / 2);
    }
    check1_->resize(std::max(check1_->width(), check1_->sizeHint().width()), check1_->height());
    buttons_.place(end.x(), end.y() + Tw(120, this));
    FitToChildren(this);
}

void FrmScan::loadFromDocument() {
    const FillGuard guard(*this);
    // Lists.
    list(kScanOn)->setEntries({T(26030), T(26031)});
    const QString a1 = T(26002) + "1", a2 = T(26002) + "2";
    list(kMode)->setEntries({T(26030), a1, a2, a1 + " + " + a2});
    for (int i : {7, 8})
        list(i)->setEntries(Tenths(5, 50));
    for (int i : {9, 10})
        list(i)->setEntries(Tenths(1, 50));

    // Display.
    list(kScanOn)->showValue(byte(0));
    list(kMode)->showValue(byte(1));
    ReshowByCh();
    for (int i = 2; i <= 5; ++i)
        list(i)->setEnabled(false);
    InitRevertList();
    showRevert();
    list(7)->showValue(byte(3) - 5);
    list(8)->showValue(byte(4) - 5);
    list(9)->showValue(byte(5) - 1);
    list(10)->showValue(byte(6) - 1);
    if (byte(7) > 1)
        byte(7) = 0;
    check1_->setChecked(byte(7) == 1);
    ApplyScanRules();
}

void FrmScan::ReshowByCh() {
    const QStringList groups = ChannelGroups16(doc_.work);
    for (int pair = 0; pair < 2; ++pair) {
        list(kGroupList[pair])->setEntries(groups);
        showPriority(pair);
    }
}

void FrmScan::showPriority(int pair) {
    BoundList* g = list(kGroupList[pair]);
    if (g->count() == 0) {
        byte(kGroupByte[pair]) = 0;
        list(kGroupList[pair] + 1)->setEntries({});
        return;
    }
    // Selecting the stored group (the first when it has no channel any more) fills the channels.
    g->showValue(g->findText(QString::number(byte(kGroupByte[pair]))));
}

void FrmScan::groupPicked(int pair) {
    const int group = ShownNumber(list(kGroupList[pair])->currentText());
    byte(kGroupByte[pair]) = static_cast<std::uint8_t>(group);
    BoundList* c = list(kGroupList[pair] + 1);
    c->setEntries(ChannelsOfGroup16(doc_.work, group));
    c->showValue(c->findText(QString::number(byte(kGroupByte[pair] + 1))));
}

void FrmScan::InitRevertList() {
    const int mode = list(kMode)->currentIndex();
    revertShown_.clear();
    QStringList shown;
    if (mode >= 0 && mode < 4) {
        const QStringList full = fullRevertList();
        for (int k : kOffered[mode]) {
            revertShown_.push_back(k);
            shown << full[k];
        }
    }
    list(kRevert)->setEntries(shown);
    list(2)->setEnabled(mode == 1 || mode == 3);
    list(3)->setEnabled(mode == 1 || mode == 3);
    list(4)->setEnabled(mode == 2 || mode == 3);
    list(5)->setEnabled(mode == 2 || mode == 3);
}

void FrmScan::showRevert() {
    // The stored choice is a position in the full list: found among the offered entries by
    // position, so that two choices reading alike stay apart; one not offered shows the first.
    const int stored = byte(2) <= 7 ? byte(2) : 0;
    const auto at = std::find(revertShown_.begin(), revertShown_.end(), stored);
    list(kRevert)->showValue(at == revertShown_.end() ? 0 : static_cast<int>(at - revertShown_.begin()));
}

void FrmScan::ApplyScanRules() {
    const bool on = list(kScanOn)->currentIndex() == 1;
    for (int i = 1; i < kLists; ++i)
        list(i)->setEnabled(on);
    check1_->setEnabled(on);
    if (!on)
        return;
    const int mode = list(kMode)->currentIndex();
    const bool first = mode == 1 || mode == 3, second = mode == 2 || mode == 3;
    list(2)->setEnabled(first);
    list(3)->setEnabled(first);
    list(4)->setEnabled(second);
    list(5)->setEnabled(second);
}

void FrmScan::refresh(Refresh what) {
    if (what != Refresh::Channels)
        return;
    const FillGuard guard(*this);
    ReshowByCh();
}

} // namespace zt
