// SPDX-License-Identifier: GPL-3.0-or-later
// The document: one pair (settings record, channel table) held twice. The working copy is what
// every window edits; the file copy is what was last loaded, saved, read or written.
#pragma once

#include "model/records.h"

#include <functional>

namespace zt {

struct DocumentCopy {
    SettingsRecord settings;
    ChannelSlots channels{};
    int count() const { return settings.ChannelCount; }
};

// What the channel windows tell the document about themselves, and how it asks them to show a
// change made through SetChannelCell. The windows set these when they open and close.
struct ChannelEditorHooks {
    int EditGroup = 0;                                   // group selected in the channel window
    bool GridOpen = false;                               // a channel grid window is open
    bool EditWindowOpen = false;                         // the channel edit window is open
    std::function<void()> RedisplayGrids;                // every open channel grid redisplays its channels
    std::function<void(int channelNo)> RedisplayChannel; // every open grid rewrites that channel's row
    std::function<void()> ReloadEditWindow; // the edit window reloads its controls from the record
    std::function<void()> ChannelsChanged;  // a channel was added or deleted: windows listing channels follow
};

struct Document {
    DocumentCopy work;
    DocumentCopy file;
    ChannelEditorHooks editor;
};

// The working copy differs from the file copy in something the user can change. Trailing blanks
// of texts, the slot order of the channels and the unused digits of the DTMF ID do not count;
// the broadcast-radio list and the version text are not compared.
bool IsModified(const Document& doc);

// Whole-record copies between the working copy and the file copy.
inline void CopyWorkingToFile(Document& doc) {
    doc.file = doc.work;
}
inline void CopyFileToWorking(Document& doc) {
    doc.work = doc.file;
}

} // namespace zt
