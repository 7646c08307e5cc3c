// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_alert.h"

#include "common/bound_list.h"
#include "common/label_rows.h"
#include "common/twips.h"
#include "settings/settings_lists.h"

#include <QLabel>

namespace zt {

namespace {

constexpr int kType = 0, kIdType = 1, kIdCode = 2, kChoice = 6, kGroup = 7, kChannel = 8, kCycle = 9,
              kOn = 10;
// The order of the lists on the window: the alarm switch first.
constexpr int kShownOrder[] = {kOn, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

} // namespace

FrmAlert::FrmAlert(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    for (std::size_t i = 0; i < kLists; ++i) {
        combo_[i] = AddLabelledList(this, label_[i], static_cast<int>(i));
    }
    for (int i : kShownOrder)
        chain_.add(list(i));
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);

    list(kType)->onPick([this](int index) {
        typeRule();
        byte(1) = static_cast<std::uint8_t>(index);
    });
    list(kIdType)->onPick([this](int index) {
        showIdCodes();
        byte(2) = static_cast<std::uint8_t>(index);
    });
    list(kIdCode)->onPick([this](int) { storeIdCode(); });
    for (int i : {3, 4, 5})
        list(i)->onPick([this, i](int index) { byte(i + 1) = static_cast<std::uint8_t>(index + 1); });
    list(kChoice)->onPick([this](int index) {
        channelRule();
        byte(7) = static_cast<std::uint8_t>(index);
    });
    list(kGroup)->onPick([this](int) {
        const int group = ShownNumber(list(kGroup)->currentText());
        BoundList* c = list(kChannel);
        c->setEntries(ChannelsOfGroup16(doc_.work, group));
        c->showValue(c->findText(QString::number(byte(9))));
        byte(8) = static_cast<std::uint8_t>(group);
    });
    list(kChannel)->onPick(
        [this](int) { byte(9) = static_cast<std::uint8_t>(ShownNumber(list(kChannel)->currentText())); });
    list(kCycle)->onPick([this](int index) { byte(10) = static_cast<std::uint8_t>(index); });
    list(kOn)->onPick([this](int index) {
        for (int i = 0; i < kOn; ++i)
            list(i)->setEnabled(index != 0);
        if (index != 0) {
            typeRule();
            channelRule();
        }
        byte(0) = static_cast<std::uint8_t>(index);
    });
    loadWindow();
}

void FrmAlert::retranslate() {
    setWindowTitle(T(27000));
    std::vector<LabelledRow> rows;
    for (int i : kShownOrder) {
        label_[static_cast<std::size_t>(i)]->setText(T(27001 + i));
        rows.push_back({label_[static_cast<std::size_t>(i)], list(i)});
    }
    buttons_.setTexts(T(9023), T(9025));
    const QPoint end = LayoutLabelledColumn(rows, 240, 240, 2600, 400);
    buttons_.place(end.x(), end.y() + Tw(120, this));
    FitToChildren(this);
}

void FrmAlert::loadFromDocument() {
    const FillGuard guard(*this);
    list(kType)->setEntries({T(27030), T(27031), T(27032), T(27033)});
    list(kIdType)->setEntries({T(27037), T(27038)});
    for (int i : {3, 4, 5})
        list(i)->setEntries(Counting(1, 255));
    list(kChoice)->setEntries({T(27034), T(27035)});
    list(kCycle)->setEntries(QStringList{T(27036)} + Counting(1, 255));
    list(kOn)->setEntries({T(26030), T(26031)});

    list(kType)->showValue(byte(1));
    list(kIdType)->showValue(byte(2));
    for (int i : {3, 4, 5})
        list(i)->showValue(byte(i + 1) - 1);
    list(kChoice)->showValue(byte(7));
    ReshowByCh();
    list(kCycle)->showValue(byte(10));
    list(kOn)->showValue(byte(0)); // its rule applies last
}

void FrmAlert::ReshowByCh() {
    list(kGroup)->setEntries(ChannelGroups16(doc_.work));
    if (list(kGroup)->count() == 0) {
        byte(8) = 0;
        list(kChannel)->setEntries({});
        return;
    }
    list(kGroup)->showValue(list(kGroup)->findText(QString::number(byte(8))));
}

void FrmAlert::typeRule() {
    const bool local = list(kType)->currentIndex() == 0;
    list(3)->setEnabled(local);
    for (int i : {1, 2, 4, 5})
        list(i)->setEnabled(!local);
}

void FrmAlert::channelRule() {
    const bool assigned = list(kChoice)->currentIndex() == 0;
    list(kGroup)->setEnabled(assigned);
    list(kChannel)->setEnabled(assigned);
}

void FrmAlert::showIdCodes() {
    BoundList* codes = list(kIdCode);
    codes->setEntries({});
    if (list(kIdType)->currentIndex() != 1) {
        byte(3) = 0;
        return;
    }
    QStringList entries;
    const auto& list16 = doc_.work.settings.Options.Dtmf.CodeList;
    for (std::size_t n = 0; n < list16.size(); ++n)
        if (list16[n].Len > 0)
            entries << "M" + QString::number(n + 1);
    codes->setEntries(entries);
    codes->showValue(codes->findText("M" + QString::number(byte(3))));
    storeIdCode();
}

void FrmAlert::storeIdCode() {
    const QString shown = list(kIdCode)->currentText();
    const bool sends = list(kIdType)->currentIndex() == 1 && shown.startsWith('M');
    byte(3) = static_cast<std::uint8_t>(sends ? ShownNumber(shown.mid(1)) : 0);
}

void FrmAlert::refresh(Refresh what) {
    const FillGuard guard(*this);
    if (what == Refresh::Channels)
        ReshowByCh();
    else if (what == Refresh::DtmfCodes)
        showIdCodes();
}

} // namespace zt
