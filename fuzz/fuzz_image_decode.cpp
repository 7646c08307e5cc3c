// The image decoder fed arbitrary radio memory: no read past a buffer, and what it decodes
// encodes again without fault.
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

    zt::RadioInfoBlock block;
    block.fill(0xFF);
    if (size > img.size())
        std::copy_n(data + img.size(), std::min(size - img.size(), block.size()), block.begin());
    zt::RadioInfoRecord info;
    zt::DecodeRadioInfo(block, info);
    return 0;
}
