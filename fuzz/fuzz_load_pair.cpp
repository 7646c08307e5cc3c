// SPDX-License-Identifier: GPL-3.0-or-later
// The settings/channel pair parser fed arbitrary bytes, in memory. A refused pair is refused with
// one of the load messages; an accepted pair is a consistent document that encodes as it is saved
// and parses again to the same records.
//
// Input: byte 0 chooses the shape: bit 0 = the settings file is exactly 1664 bytes (taken from
// the input, zero padded), else its length is bytes 1-2 (little-endian, bounded by the input);
// bit 1 = the settings file starts with "V300". The rest of the input after the settings file is
// the channel file.
#include "files/data_files.h"
#include "model/channel_table.h"
#include "model/new_document.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// A new document whose working copy differs from its file copy, built once.
const zt::Document& BaseDocument() {
    static const zt::Document doc = [] {
        zt::AppState app;
        zt::Document d;
        zt::RadioInfoRecord info;
        zt::SetNewDocumentValues(app, d, info, zt::CalendarDate{2024, 1, 1});
        d.work.channels[0].Mode = 1;
        return d;
    }();
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const std::uint8_t mode = data[0];
    std::size_t datLen = zt::kSettingsRecordSize;
    std::size_t pos = 1;
    if (!(mode & 1)) {
        datLen = static_cast<std::size_t>(data[1] | (data[2] << 8)) % (size - 2);
        pos = 3;
    }
    std::vector<std::uint8_t> dat(data + pos, data + std::min(size, pos + datLen));
    dat.resize(datLen, 0);
    if ((mode & 2) && dat.size() >= 4)
        std::memcpy(dat.data(), "V300", 4);
    const std::size_t freStart = std::min(size, pos + datLen);
    const std::span<const std::uint8_t> fre(data + freStart, size - freStart);

    zt::LoadedPair pair;
    if (const int id = zt::ParsePair(dat, fre, pair)) {
        Check(id == 9002 || id == 9033);
        return 0;
    }
    const int n = pair.settings.ChannelCount;
    Check(n >= 0 && n <= zt::kMaxChannels && pair.channels.size() == static_cast<std::size_t>(n));

    zt::AppState app;
    zt::Document doc = BaseDocument();
    zt::RadioInfoRecord info;
    zt::InstallPair(app, doc, pair, &info);
    Check(doc.work.settings == doc.file.settings);
    for (int i = 0; i < n; ++i)
        Check(doc.work.channels[i] == doc.file.channels[i]);

    // What was accepted is saved as these bytes, which parse again to the same file copy.
    zt::CommitToFileCopy(app, doc);
    const zt::PairBytes saved = zt::EncodePair(doc.file);
    zt::LoadedPair again;
    Check(zt::ParsePair(saved.settings, saved.channels, again) == 0);
    Check(again.settings == doc.file.settings);
    Check(again.channels.size() == static_cast<std::size_t>(zt::UsedSlots(doc.file)));
    for (std::size_t i = 0; i < again.channels.size(); ++i)
        Check(again.channels[i] == doc.file.channels[i]);
    return 0;
}
