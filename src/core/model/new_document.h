// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in values of a new document: what the user sees when no factory template exists, and
// what every field holds that a template does not set.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <array>

namespace zt {

struct TuningPair {
    const char* rx; // 8-digit stored form
    const char* tx;
};

// The five fixed tuning pairs that the test frequency window shows below the editable list.
// They are part of no record and are never saved.
inline constexpr std::array<TuningPair, 5> kFixedTuningPairs{{
    {"40000000", "40010000"},
    {"42050000", "42060000"},
    {"44000000", "44010000"},
    {"47050000", "46060000"},
    {"48000000", "47990000"},
}};

// Fills the document with the new-document values: untitled "new.dat"; the option blocks; the
// channel table holding channels 1 and 481 at the middle of the band; the frequency lists, model
// information, group names and tone tips; the radio-information record reset with `today`; and
// the file copy made equal to the working copy, so the new document is not modified. The channel
// edit window counts as closed afterwards. Loading the factory template is left to the caller.
void SetNewDocumentValues(AppState& app, Document& doc, RadioInfoRecord& info, CalendarDate today = Today());

} // namespace zt
