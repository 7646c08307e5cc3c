// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV channel import fed arbitrary text: planning never fails badly, applying the plan gives a
// consistent table, and the export of the result imports back into it with nothing refused and
// nothing changed.
//
// Input: byte 0 chooses the options: bit 0 = in file order (else the file's numbers), bit 1 = also
// replace channels in use, bit 2 = update only the file's columns, bit 3 = frequencies editable
// (the band-plan groups take frequencies). Byte 1 picks the first channel of file order. The rest
// is the CSV text.
#include "files/csv_channels.h"
#include "model/channel_table.h"
#include "model/new_document.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// A new document with a few channels of the shapes an import meets: a band-plan channel, a
// repeater with tones and hidden settings, the VFO entry.
const zt::Document& BaseDocument() {
    static const zt::Document doc = [] {
        zt::AppState app;
        zt::Document d;
        zt::RadioInfoRecord info;
        zt::SetNewDocumentValues(app, d, info, zt::CalendarDate{2024, 1, 1});
        zt::AppendChannel(app, d.work, 5, "27.05000");
        zt::AppendChannel(app, d.work, 290, "29.62000");
        zt::ChannelRecord& r = d.work.channels[static_cast<std::size_t>(zt::FindChannel(d.work, 290))];
        r.TxOffsetDir = 1;
        r.TxOffset = std::string("0010000");
        r.EncodeTone = r.DecodeTone = 9;
        r.RogerBeep = 3;
        r.TxInhibit = 1;
        return d;
    }();
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t mode = data[0];
    zt::CsvImportOptions options;
    options.placement = (mode & 1) ? zt::CsvPlacement::FileOrder : zt::CsvPlacement::FileNumbers;
    options.replaceInUse = (mode & 2) != 0;
    options.replace = (mode & 4) ? zt::CsvReplace::UpdateColumns : zt::CsvReplace::Reset;
    options.firstChannel = 1 + (data[1] * 2) % zt::kMaxChannels;
    const std::string_view csv(reinterpret_cast<const char*>(data + 2), size - 2);

    static const zt::AppState app;
    zt::DocumentCopy d = BaseDocument().work;
    d.settings.Options.Features.FreqEditable = (mode & 8) ? 1 : 0;
    const zt::DocumentCopy before = d;

    const zt::CsvImportPlan plan = zt::PlanCsvImport(app, d, csv, options);
    Check(plan.refused.size() <= static_cast<std::size_t>(zt::kCsvListedRefusals));
    Check(plan.refusedCount >= static_cast<int>(plan.refused.size()));
    Check(plan.taken.size() <= static_cast<std::size_t>(zt::kMaxChannels));
    Check(plan.fileError != 0 || plan.rowCount == static_cast<int>(plan.taken.size()) + plan.refusedCount);
    Check(d.settings == before.settings && d.channels == before.channels); // planning changes nothing
    for (const zt::CsvTakenRow& t : plan.taken)
        Check(t.record.ChannelNo >= 1 && t.record.ChannelNo <= zt::kMaxChannels);
    zt::ApplyCsvImport(plan, d);
    const int n = zt::UsedSlots(d);
    Check(n >= 1 && n <= zt::kMaxChannels);
    for (int i = 0; i < n; ++i)
        Check(zt::FindChannel(d, d.channels[static_cast<std::size_t>(i)].ChannelNo) == i);

    // The export of the result imports back with nothing refused and nothing changed.
    const std::string exported = zt::ExportChannelsCsv(app, d);
    const zt::CsvImportPlan again = zt::PlanCsvImport(app, d, exported);
    Check(again.fileError == 0 && again.refusedCount == 0);
    zt::DocumentCopy after = d;
    Check(!zt::ApplyCsvImport(again, after));
    return 0;
}
