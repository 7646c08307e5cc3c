// Loads arbitrary settings/channel file pairs. A refused pair must leave the document exactly as
// it was; an accepted pair must be a consistent document that saves and opens again unchanged.
//
// Input: byte 0 chooses the shape: bit 0 = the settings file is exactly 1664 bytes (taken from
// the input, zero padded), else its length is bytes 1-2 (little-endian, bounded by the input);
// bit 1 = the settings file starts with "V300"; bit 2 = load as a template instead of opening.
// The rest of the input after the settings file is the channel file.
#include "files/data_files.h"
#include "model/new_document.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("zt-fuzz-load-pair-" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void WriteFile(const fs::path& p, const std::uint8_t* data, std::size_t n) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

bool SameDocument(const zt::Document& a, const zt::Document& b) {
    return a.work.settings == b.work.settings && a.work.channels == b.work.channels &&
           a.file.settings == b.file.settings && a.file.channels == b.file.channels;
}

void Check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const std::uint8_t mode = data[0];
    std::size_t datLen = 0;
    std::size_t pos = 1;
    if (mode & 1) {
        datLen = zt::kSettingsRecordSize;
    } else {
        datLen = static_cast<std::size_t>(data[1] | (data[2] << 8)) % (size - 2);
        pos = 3;
    }
    std::vector<std::uint8_t> dat(data + pos, data + std::min(size, pos + datLen));
    dat.resize(datLen, 0);
    if ((mode & 2) && dat.size() >= 4)
        std::memcpy(dat.data(), "V300", 4);
    const std::size_t freStart = std::min(size, pos + datLen);

    const fs::path datPath = WorkDir() / "in.dat";
    WriteFile(datPath, dat.data(), dat.size());
    WriteFile(WorkDir() / "in.fre", data + freStart, size - freStart);

    zt::AppState app;
    zt::RecordingPrompter prompter;
    prompter.reply = zt::Answer::No;
    app.prompter = &prompter;
    app.versions.pairs = {{"V300", "V300"}};
    zt::Document doc;
    zt::RadioInfoRecord info;
    zt::SetNewDocumentValues(app, doc, info, zt::CalendarDate{2024, 1, 1});
    doc.work.channels[0].Mode = 1; // the working copy differs from the file copy
    const zt::Document before = doc;

    bool loaded = false;
    if (mode & 4)
        loaded = zt::LoadWithChannels(app, doc, datPath.string(), &info);
    else
        loaded = zt::OpenDocument(app, doc, datPath.string(), &info) == zt::OpenResult::Opened;

    if (!loaded) {
        Check(SameDocument(doc, before));
        Check(app.DocFileName == "new.dat");
        return 0;
    }
    Check(prompter.asked.empty());
    const int n = doc.work.count();
    Check(n >= 0 && n <= zt::kMaxChannels);
    Check(doc.work.settings == doc.file.settings);
    for (int i = 0; i < n; ++i)
        Check(doc.work.channels[i] == doc.file.channels[i]);

    // What was accepted saves and opens again to the same file copy.
    app.DocFileName = (WorkDir() / "out.dat").string();
    Check(zt::SaveDocument(app, doc));
    zt::Document again;
    Check(zt::OpenDocument(app, again, app.DocFileName, &info) == zt::OpenResult::Opened);
    Check(again.file.settings == doc.file.settings);
    for (int i = 0; i < n; ++i)
        Check(again.file.channels[i] == doc.file.channels[i]);
    return 0;
}
