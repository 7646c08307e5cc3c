// The document: one pair (settings record, channel table) held twice. The working copy is what
// every window edits; the file copy is what was last loaded, saved, read or written.
#pragma once

#include "model/records.h"

namespace zt {

struct DocumentCopy {
    SettingsRecord settings;
    ChannelSlots channels{};
    int count() const { return settings.ChannelCount; }
};

struct Document {
    DocumentCopy work;
    DocumentCopy file;
};

// Whole-record copies between the working copy and the file copy.
inline void CopyWorkingToFile(Document& doc) {
    doc.file = doc.work;
}
inline void CopyFileToWorking(Document& doc) {
    doc.work = doc.file;
}

} // namespace zt
