// SPDX-License-Identifier: GPL-3.0-or-later
// What the parts of the channel grid window share (frm_comm_ch_info*.cpp): its columns, their
// widths and captions, colours, and the texts of its lists. Internal to the channel grid.
#pragma once

#include "channels/frm_comm_ch_info.h"
#include "model/channel_editor.h"

#include <QColor>
#include <QString>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace zt::chgrid {

// Grid columns: 0 is the row header (the entry's number in its group), 1..9 are the channel
// table's column ids (col::RxFreq .. col::Spacing, model/channel_editor.h), 10 the link to the
// details window.
constexpr int kNumberCol = 0;
constexpr int kLastDataCol = col::Spacing;
constexpr int kDetailsCol = 10;
static_assert(kDetailsCol == frmCommChInfo::kCols - 1);

// Column widths in twips; 0 hides the column.
constexpr std::array<int, frmCommChInfo::kCols> kWidths = {740, 1300, 0, 0, 1200, 1200, 0, 0, 0, 0, 1400};
constexpr std::array<int, frmCommChInfo::kCols> kHeaderIds = {14001, 14002, 14003, 14004, 14005, 14006,
                                                              14007, 14008, 14009, 14010, 14011};
constexpr int kTxOffsetHeaderId = 14100;
inline const QColor kHeaderText(0, 0, 155);
inline const QColor kRowNumberText(0, 0, 255);
inline const QColor kLinkText(255, 0, 0);
inline const QColor kLinkBack(220, 220, 220);

// Captions of the window: "Channels [Group" while a cell is in use, else the window's title.
constexpr int kCaptionGroup = 14012;
constexpr int kCaptionTitle = 14050;

// What the window was doing when a failure stopped it (shown with the system's reason).
constexpr int kFailSetUp = 34301;
constexpr int kFailLanguage = 34302;
constexpr int kFailShowGroup = 34303;
constexpr int kFailOpenEditor = 34304;
constexpr int kFailNextCell = 34305;
constexpr int kFailKey = 34306;
constexpr int kFailClose = 34307;
// A stored RX frequency that is no number.
constexpr int kRxJunk = 34300;
// Why a frequency of a band-plan group cannot be typed (the group, the window, the option).
constexpr int kFixedFrequencies = 34308;

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Entry v of a list; the first entry when v is out of range, "" for an empty list.
inline QString Entry(const std::vector<QString>& list, int v) {
    if (list.empty())
        return {};
    return v >= 0 && v < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(v)] : list.front();
}

inline std::vector<QString> Texts(const ChannelEditor& ed, std::initializer_list<int> ids) {
    std::vector<QString> out;
    for (int id : ids)
        out.push_back(Q(ed.Text(id)));
    return out;
}

// The entries of the lists of the columns that show a choice.
constexpr std::initializer_list<int> kPowerTexts = {14014, 14015, 14016};
constexpr std::initializer_list<int> kScanSkipTexts = {14017, 14018};
constexpr std::initializer_list<int> kOptSignalTexts = {14013, 14019};
constexpr std::initializer_list<int> kSpacingTexts = {14020, 14021, 14022};
constexpr int kToneOffText = 14013;

} // namespace zt::chgrid
