// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_reset_mode.h"

#include "common/bound_list.h"
#include "common/label_rows.h"
#include "common/legacy_text.h"
#include "common/twips.h"

#include <QLabel>

namespace zt {

namespace {

constexpr int kGroupsPerMode = 6;
constexpr int kChannelsPerGroup = 40;

QStringList ChannelEntries() {
    QStringList l;
    for (int n = 1; n <= kChannelsPerGroup; ++n)
        l << QString::number(n);
    return l;
}

} // namespace

FrmResetMode::FrmResetMode(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    auto& reset = doc_.work.settings.Options.Features.ResetMode;
    for (std::size_t i = 0; i < 4; ++i) {
        combo_[i] = AddLabelledList(this, label_[i], 23 + static_cast<int>(i));
        chain_.add(combo_[i]);
    }
    for (int m = 0; m < 2; ++m) {
        const auto g = static_cast<std::size_t>(2 * m);
        combo_[g]->onPick([this, m](int index) { groupPicked(m, index); });
        // The number shown, counted from 1.
        combo_[g + 1]->onPick([&reset, g](int index) { reset[g + 1] = static_cast<i16>(index + 1); });
    }
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);
    loadWindow();
}

void FrmResetMode::retranslate() {
    setWindowTitle(T(31000));
    for (std::size_t i = 0; i < 4; ++i)
        label_[i]->setText(T(16509 + static_cast<int>(i)));
    buttons_.setTexts(T(9023), T(9025));
    const QPoint end = LayoutLabelledColumn(
        {{label_[0], combo_[0]}, {label_[1], combo_[1]}, {label_[2], combo_[2]}, {label_[3], combo_[3]}}, 240,
        240, 1800, 420);
    buttons_.place(end.x(), end.y() + Tw(120, this));
    FitToChildren(this);
}

void FrmResetMode::fillGroupLists() {
    const auto& names = doc_.work.settings.GroupNames;
    for (int m = 0; m < 2; ++m) {
        QStringList l;
        for (int g = 0; g < kGroupsPerMode; ++g)
            l << FromLegacy(app_, names[static_cast<std::size_t>(m * kGroupsPerMode + g)].trimmed());
        combo_[static_cast<std::size_t>(2 * m)]->setEntries(l);
    }
}

void FrmResetMode::loadFromDocument() {
    const FillGuard guard(*this);
    fillGroupLists();
    const auto& reset = doc_.work.settings.Options.Features.ResetMode;
    // The group is chosen by its position: two groups of the same name stay apart.
    combo_[0]->showValue(reset[0]);
    combo_[2]->showValue(reset[2] - kGroupsPerMode);
}

void FrmResetMode::groupPicked(int m, int index) {
    auto& reset = doc_.work.settings.Options.Features.ResetMode;
    const auto g = static_cast<std::size_t>(2 * m);
    reset[g] = static_cast<i16>(index + m * kGroupsPerMode);
    BoundList* channels = combo_[g + 1];
    channels->setEntries(ChannelEntries());
    // Channel n is entry n - 1; a channel without an entry (0 = none) shows channel 1.
    channels->showValue(reset[g + 1] - 1);
}

void FrmResetMode::refresh(Refresh what) {
    if (what == Refresh::GroupNames)
        loadFromDocument();
}

} // namespace zt
