// SPDX-License-Identifier: GPL-3.0-or-later
// Validation of a typed frequency against the band, with the band-edge substitution.
#include "codec/freq.h"

namespace zt {

namespace {

constexpr int kMsgOutOfBand = 9021;

} // namespace

std::string CheckFrequency(const AppState& app, std::string_view value, int group) {
    BandCheck c = CheckBand(app, value, group);
    if (c.outOfBand && app.prompter)
        app.prompter->ask(app.LangText(kMsgOutOfBand), Icon::Warning, Buttons::Ok);
    return std::move(c.text);
}

} // namespace zt
