// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/signal_fields.h"

#include "model/channel_editor.h"
#include "model/tone_tips.h"

#include <array>

namespace zt {

namespace {

constexpr int kOff = 15030;
constexpr int kCarrier = 15031;
constexpr int kTone = 15032;

QStringList Texts(const TextOf& text, std::initializer_list<int> ids) {
    QStringList out;
    for (int id : ids)
        out << text(id);
    return out;
}

// One line per field.
const std::array<SignalFieldDesc, 16> kSignalFields = {{
    {col::DecodeTone, 15005, nullptr},
    {col::EncodeTone, 15006, nullptr},
    {col::BusyLock, 15011, [](const TextOf& t) { return BusyLockEntries(t, true); }},
    {col::PttIdBot, 15037, nullptr},
    {col::PttIdEot, 15038, nullptr},
    {col::CallCode, 15013, nullptr},
    {col::RogerBeep, 15200, nullptr},
    {col::SquelchMode, 15201,
     [](const TextOf& t) {
         return Texts(t, {kCarrier, kTone});
     }},
    {col::Rep, 15205,
     [](const TextOf& t) {
         return QStringList{t(kOff), "+100K", "-100K"};
     }},
    {col::Tsq, 15023,
     [](const TextOf& t) {
         return Texts(t, {15052, 15053});
     }},
    {col::RxExpander, 15300, nullptr},
    {col::TxCompressor, 15301, nullptr},
    {col::NbAnl, 15302, nullptr},
    {col::Att, 15303, nullptr},
    {col::HiCut, 15304, nullptr},
    {col::RepLock, 15403, nullptr},
}};

} // namespace

const SignalFieldDesc* FindSignalField(int column) {
    for (const SignalFieldDesc& d : kSignalFields)
        if (d.column == column)
            return &d;
    return nullptr;
}

QString SignalCaption(int column, const TextOf& text) {
    const SignalFieldDesc* d = FindSignalField(column);
    return d != nullptr ? text(d->captionId) : QString();
}

QStringList SignalEntries(int column, const TextOf& text) {
    const SignalFieldDesc* d = FindSignalField(column);
    return d != nullptr && d->entries != nullptr ? d->entries(text) : QStringList();
}

QStringList BusyLockEntries(const TextOf& text, bool withTone) {
    QStringList out{text(kOff), text(kCarrier)};
    if (withTone)
        out << text(kTone);
    return out;
}

QStringList ToneTipEntries(const SettingsRecord& s, const TextOf& text) {
    QStringList out{text(kOff)};
    for (int n = 1; n <= kToneTipCount; ++n)
        if (ToneDefined(s, n) != 0)
            out << QString::number(n);
    return out;
}

} // namespace zt
