// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/vfo_tone.h"

#include <array>
#include <cstdio>

namespace zt {

namespace {

// CTCSS tones in tenths of a hertz.
constexpr std::array<std::uint16_t, 50> kCtcss = {
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072, 1109, 1148,
    1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799,
    1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

// The 116 DCS codes of the VFO list, as octal digits written in decimal.
constexpr std::array<int, 116> kDcs = {
    17,  23,  25,  26,  31,  32,  36,  43,  47,  50,  51,  53,  54,  55,  65,  71,  72,  73,  74,  114,
    115, 116, 122, 125, 131, 132, 134, 135, 143, 145, 152, 155, 156, 162, 165, 172, 174, 205, 212, 217,
    223, 225, 226, 243, 244, 245, 246, 251, 252, 254, 255, 261, 263, 265, 266, 271, 274, 305, 306, 311,
    315, 325, 331, 332, 343, 345, 346, 351, 356, 364, 365, 371, 411, 412, 413, 423, 425, 431, 432, 445,
    446, 452, 454, 455, 462, 464, 465, 466, 503, 506, 516, 523, 526, 532, 534, 546, 565, 606, 612, 624,
    627, 631, 632, 645, 654, 662, 664, 703, 712, 723, 731, 732, 734, 743, 754, 765};

constexpr int kFirstDcs = 51;
constexpr int kFirstInverted = kFirstDcs + static_cast<int>(kDcs.size()); // 167
static_assert(kFirstInverted + static_cast<int>(kDcs.size()) == kVfoToneCount);

// The value of the octal digits, e.g. 023 -> 19.
std::uint16_t OctalValue(int digits) {
    return static_cast<std::uint16_t>((digits / 100) * 64 + (digits / 10 % 10) * 8 + digits % 10);
}

} // namespace

std::uint16_t VfoToneToCode(int index) {
    if (index <= 0 || index >= kVfoToneCount)
        return 0xFFFF;
    if (index < kFirstDcs)
        return kCtcss[static_cast<std::size_t>(index - 1)];
    if (index < kFirstInverted)
        return static_cast<std::uint16_t>(0xD000 +
                                          OctalValue(kDcs[static_cast<std::size_t>(index - kFirstDcs)]));
    return static_cast<std::uint16_t>(0x8000 +
                                      OctalValue(kDcs[static_cast<std::size_t>(index - kFirstInverted)]));
}

int VfoCodeToTone(std::uint16_t code) {
    const int kind = code >> 12;
    const std::uint16_t value = code & 0x0FFF;
    if (kind == 0x0) {
        for (std::size_t k = 0; k < kCtcss.size(); ++k)
            if (kCtcss[k] == value)
                return 1 + static_cast<int>(k);
        return 0;
    }
    if (kind == 0xD || kind == 0x8) {
        for (std::size_t k = 0; k < kDcs.size(); ++k)
            if (OctalValue(kDcs[k]) == value)
                return (kind == 0xD ? kFirstDcs : kFirstInverted) + static_cast<int>(k);
    }
    return 0;
}

const std::vector<std::string>& VfoToneList() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> v;
        v.reserve(kVfoToneCount);
        v.emplace_back("OFF");
        char buf[16];
        for (auto t : kCtcss) {
            std::snprintf(buf, sizeof buf, "%d.%d", t / 10, t % 10);
            v.emplace_back(buf);
        }
        for (const char pol : {'N', 'I'})
            for (int d : kDcs) {
                std::snprintf(buf, sizeof buf, "%03d%c", d, pol);
                v.emplace_back(buf);
            }
        return v;
    }();
    return list;
}

} // namespace zt
