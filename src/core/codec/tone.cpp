// SPDX-License-Identifier: GPL-3.0-or-later
// CTCSS/DCS tones: the record index (0..264), the radio's 16-bit code and the shown text.
#include "codec/tone.h"

#include <array>
#include <cstdio>

namespace zt {

namespace {

// CTCSS frequencies in tenths of Hz.
constexpr std::array<std::uint16_t, 50> kCtcss{
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072, 1109, 1148,
    1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799,
    1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

// DCS codes, written in octal as they are shown.
constexpr std::array<std::uint16_t, 107> kDcs{
    017,  023,  025,  026,  031,  032,  036,  043,  047,  050,  051,  053,  054,  065,  071,  072,
    073,  074,  0114, 0115, 0116, 0122, 0125, 0131, 0132, 0134, 0143, 0145, 0152, 0155, 0156, 0162,
    0165, 0172, 0174, 0205, 0212, 0223, 0225, 0226, 0243, 0244, 0245, 0246, 0251, 0252, 0255, 0261,
    0263, 0265, 0266, 0271, 0274, 0306, 0311, 0315, 0325, 0331, 0332, 0343, 0346, 0351, 0356, 0364,
    0365, 0371, 0411, 0412, 0413, 0423, 0431, 0432, 0445, 0446, 0452, 0454, 0455, 0462, 0464, 0465,
    0466, 0503, 0506, 0516, 0523, 0526, 0532, 0546, 0565, 0606, 0612, 0624, 0627, 0631, 0632, 0645,
    0654, 0662, 0664, 0703, 0712, 0723, 0731, 0732, 0734, 0743, 0754};

constexpr int kFirstCtcss = 1;
constexpr int kFirstDcsNormal = kFirstCtcss + static_cast<int>(kCtcss.size());     // 51
constexpr int kFirstDcsInverted = kFirstDcsNormal + static_cast<int>(kDcs.size()); // 158
static_assert(kFirstDcsInverted + static_cast<int>(kDcs.size()) == kToneCount);

template <std::size_t N> int PositionOf(const std::array<std::uint16_t, N>& table, std::uint16_t value) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == value)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::uint16_t ToneToCode(int index) {
    if (index < 0)
        return 0;
    if (index == 0)
        return 0xFFFF;
    if (index < kFirstDcsNormal)
        return kCtcss[static_cast<std::size_t>(index - kFirstCtcss)];
    if (index < kFirstDcsInverted)
        return static_cast<std::uint16_t>(0xD000 + kDcs[static_cast<std::size_t>(index - kFirstDcsNormal)]);
    if (index < kToneCount)
        return static_cast<std::uint16_t>(0x8000 + kDcs[static_cast<std::size_t>(index - kFirstDcsInverted)]);
    return 0x8000;
}

int CodeToTone(std::uint16_t code) {
    const std::uint16_t value = code & 0x0FFF;
    int pos = -1;
    switch (code >> 12) {
    case 0x0:
        pos = PositionOf(kCtcss, value);
        return pos < 0 ? 0 : kFirstCtcss + pos;
    case 0xD:
        pos = PositionOf(kDcs, value);
        return pos < 0 ? 0 : kFirstDcsNormal + pos;
    case 0x8:
        pos = PositionOf(kDcs, value);
        return pos < 0 ? 0 : kFirstDcsInverted + pos;
    default:
        return 0;
    }
}

std::string ToneText(int index) {
    char buf[16];
    if (index <= 0 || index >= kToneCount)
        return "OFF";
    if (index < kFirstDcsNormal) {
        const unsigned t = kCtcss[static_cast<std::size_t>(index - kFirstCtcss)];
        std::snprintf(buf, sizeof buf, "%u.%u", t / 10, t % 10);
    } else if (index < kFirstDcsInverted) {
        std::snprintf(buf, sizeof buf, "D%03oN",
                      static_cast<unsigned>(kDcs[static_cast<std::size_t>(index - kFirstDcsNormal)]));
    } else {
        std::snprintf(buf, sizeof buf, "D%03oI",
                      static_cast<unsigned>(kDcs[static_cast<std::size_t>(index - kFirstDcsInverted)]));
    }
    return buf;
}

const std::vector<std::string>& ToneList() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> v;
        v.reserve(kToneCount);
        for (int i = 0; i < kToneCount; ++i)
            v.push_back(ToneText(i));
        return v;
    }();
    return list;
}

} // namespace zt
