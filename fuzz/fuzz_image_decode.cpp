// SPDX-License-Identifier: GPL-3.0-or-later
// The image decoder fed arbitrary radio memory: no read past a buffer, what it decodes encodes
// again without fault and reads back unchanged, and the differences are named within the memory.
#include "link/image_verify.h"
#include "link/radio_image.h"
#include "link/radio_info.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zt::RadioImage img;
    zt::ClearRadioImage(img);
    std::copy_n(data, std::min(size, img.size()), img.begin());
    zt::DocumentCopy work;
    zt::DecodedIdent ident;
    zt::DecodeRadioImage(img, work, &ident);
    if (work.settings.ChannelCount < 1 || work.settings.ChannelCount > zt::kMaxChannels)
        __builtin_trap();

    zt::AppState app;
    zt::RadioImage again;
    zt::ClearRadioImage(again);
    zt::EncodeRadioImage(app, work, again);
    // What the codec writes it reads back unchanged: decoding the re-encoded memory and encoding
    // it once more gives the same bytes, so a verified write never reports a difference that the
    // program itself made.
    zt::DocumentCopy second;
    zt::DecodeRadioImage(again, second);
    zt::RadioImage third;
    zt::ClearRadioImage(third);
    zt::EncodeRadioImage(app, second, third);
    if (!zt::CompareWrittenImage(again, third).empty())
        __builtin_trap();
    // Any difference between two memories is named within the memory, and can be described.
    if (size > 0 && (data[0] & 1) != 0) {
        const auto diffs = zt::CompareWrittenImage(img, again);
        for (const auto& d : diffs)
            if (d.address < 0 || d.address >= static_cast<int>(img.size()) ||
                zt::IsRadioOwnedAddress(d.address))
                __builtin_trap();
        zt::DescribeDifferences(app, diffs);
    }

    zt::RadioInfoBlock block;
    block.fill(0xFF);
    if (size > img.size())
        std::copy_n(data + img.size(), std::min(size - img.size(), block.size()), block.begin());
    zt::RadioInfoRecord info;
    zt::DecodeRadioInfo(block, info);
    return 0;
}
