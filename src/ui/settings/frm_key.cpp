// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_key.h"

#include "common/bound_list.h"
#include "common/label_rows.h"
#include "common/twips.h"
#include "settings/frm_scan.h"
#include "settings/settings_lists.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

namespace zt {

namespace {

// Functions a list offers: 0..20 for a long press; a short press cannot start an emergency
// alarm (4) nor lock the keys (11).
std::vector<int> Offered(bool shortPress) {
    std::vector<int> f;
    for (int n = 0; n <= 20; ++n)
        if (!shortPress || (n != 4 && n != 11))
            f.push_back(n);
    return f;
}

} // namespace

FrmKey::FrmKey(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    for (std::size_t i = 0; i < 2; ++i) {
        times_[i] = AddLabelledList(this, timeLabels_[i], 9 + static_cast<int>(i));
        chain_.add(times_[i]);
        times_[i]->onPick(
            [this, i](int index) { doc_.work.settings.Options.KeyBlock[i] = static_cast<i16>(index + 10); });
    }
    for (std::size_t f = 0; f < 2; ++f) {
        frames_[f] = new QGroupBox(this);
        frames_[f]->setObjectName(QString("Frame%1").arg(f + 1));
    }
    for (std::size_t k = 0; k < 4; ++k) {
        keys_[k] = AddLabelledList(frames_[k / 2], keyLabels_[k], static_cast<int>(k));
        offered_[k] = Offered(k % 2 == 1);
        keys_[k]->onPick([this, k](int index) { keyPicked(static_cast<int>(k), index); });
        chain_.add(keys_[k]);
    }
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);
    loadWindow();
}

BoundList* FrmKey::list(int i) const {
    if (i >= 0 && i < 4)
        return keys_[static_cast<std::size_t>(i)];
    return i == 9 || i == 10 ? times_[static_cast<std::size_t>(i - 9)] : nullptr;
}

void FrmKey::retranslate() {
    setWindowTitle(T(25000));
    timeLabels_[0]->setText(T(25001));
    timeLabels_[1]->setText(T(25002));
    frames_[0]->setTitle(T(25003));
    frames_[1]->setTitle(T(25004));
    for (std::size_t k = 0; k < 4; ++k)
        keyLabels_[k]->setText(T(k % 2 == 0 ? 25005 : 25006));
    buttons_.setTexts(T(9023), T(9025));

    const int listTw = 2800;
    QPoint end = LayoutLabelledColumn({{timeLabels_[0], times_[0]}, {timeLabels_[1], times_[1]}}, 240, 240,
                                      listTw, 420);
    int y = end.y() + Tw(60, this);
    for (std::size_t f = 0; f < 2; ++f) {
        const QPoint in = LayoutLabelledColumn(
            {{keyLabels_[2 * f], keys_[2 * f]}, {keyLabels_[2 * f + 1], keys_[2 * f + 1]}}, 120, 360, listTw,
            420);
        // The frames reach as far right as the lists above them.
        const int width = std::max(in.x() + Tw(120, this), end.x() - Tw(240, this) + 1);
        frames_[f]->setGeometry(Tw(240, this), y, width, in.y() + Tw(60, this));
        y = frames_[f]->geometry().bottom() + Tw(120, this);
        end.setX(std::max(end.x(), frames_[f]->geometry().right()));
    }
    buttons_.place(end.x(), y);
    FitToChildren(this);
}

void FrmKey::loadFromDocument() {
    const FillGuard guard(*this);
    for (std::size_t i = 0; i < 2; ++i)
        times_[i]->setEntries(Tenths(10, 25));
    for (std::size_t k = 0; k < 4; ++k) {
        QStringList texts;
        for (int n : offered_[k])
            texts << T(25040 + n);
        keys_[k]->setEntries(texts);
    }
    ShowKeyLists();
    const auto& stored = doc_.work.settings.Options.KeyBlock;
    times_[0]->showValue(stored[0] - 10);
    times_[1]->showValue(stored[1] - 10);
}

void FrmKey::ShowKeyLists() {
    const auto& stored = doc_.work.settings.Options.KeyBlock;
    for (std::size_t k = 0; k < 4; ++k) {
        int f = stored[k + 2];
        if (f < 0 || f >= kFunctions)
            f = 0;
        // By function number, not by text: two functions whose texts read alike stay apart. A
        // function the list does not offer shows the first entry.
        const auto& offered = offered_[k];
        const auto at = std::find(offered.begin(), offered.end(), f);
        keys_[k]->showValue(at == offered.end() ? 0 : static_cast<int>(at - offered.begin()));
    }
}

void FrmKey::keyPicked(int k, int index) {
    const auto& offered = offered_[static_cast<std::size_t>(k)];
    const int f =
        index >= 0 && index < static_cast<int>(offered.size()) ? offered[static_cast<std::size_t>(index)] : 0;
    if (f == FrmScan::kScanKeyFunction && doc_.work.settings.Options.ScanBlock[0] == 0) {
        // The scan key needs scanning on.
        keys_[static_cast<std::size_t>(k)]->showValue(0);
        return;
    }
    doc_.work.settings.Options.KeyBlock[static_cast<std::size_t>(k) + 2] = static_cast<i16>(f);
}

void FrmKey::refresh(Refresh what) {
    if (what != Refresh::KeySlots)
        return;
    const FillGuard guard(*this);
    ShowKeyLists();
}

} // namespace zt
