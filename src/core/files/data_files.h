// SPDX-License-Identifier: GPL-3.0-or-later
// The document's data files: the settings file (.dat, one 1664-byte settings record) and its
// channel file (same path, last three characters replaced by "fre", ChannelCount records of 92
// bytes). Loading reads and checks everything before either copy of the document changes; saving
// writes both files through temporary files so a failed save never destroys the previous pair.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// "radio.dat" -> "radio.fre", "abc" -> "fre"; a name shorter than three characters becomes "fre".
std::string ChannelFilePath(std::string_view settingsPath);
// True when the file name ends in ".dat" (any case): the only names a settings file is saved
// under, so that no two documents share a channel file ("ab" and "cd" would both pair with "fre").
bool IsSettingsFileName(std::string_view path);
// The message that refuses to save a settings file under another name; the path follows it.
constexpr int kNotASettingsFileName = 34000;

// A settings record and its channels as read from disk, not yet in any document.
struct LoadedPair {
    SettingsRecord settings;
    std::vector<ChannelRecord> channels;
};

// The checks of a pair, on bytes already in memory; nothing here touches a file or a document.
// Each returns 0 or the id of the message that refuses the bytes.
//
// A settings file's bytes -> out.settings: 9033 when they are not 1664 bytes.
int ParseSettingsFile(std::span<const std::uint8_t> bytes, LoadedPair& out);
// How many channel-file bytes the parsed settings' channel count needs; nullopt (message 9002)
// when the count is outside 0..481.
std::optional<std::size_t> ChannelFileBytesNeeded(const SettingsRecord& settings);
// The channel file's bytes -> out.channels, for the count of out.settings: 9002 when the count is
// outside 0..481, the bytes hold fewer records than the count, or a channel number is outside
// 1..481 or repeated. Bytes after the last record are not looked at.
int ParseChannelFile(std::span<const std::uint8_t> bytes, LoadedPair& out);
// Both files of a pair from memory: what ReadPair does with the files on disk.
int ParsePair(std::span<const std::uint8_t> settingsBytes, std::span<const std::uint8_t> channelBytes,
              LoadedPair& out);

// Reads and checks a settings file (and its channel file when `withChannels`). Returns 0 and
// fills `out`, or the id of the message that refuses it: 9002 when a file cannot be read, else
// what the parsers above say; `detail` then names the refused file (and the system's reason when
// it could not be read). A channel count of 0 needs no channel file.
int ReadPair(const std::string& settingsPath, bool withChannels, LoadedPair& out,
             std::string* detail = nullptr);

// The loaded pair becomes the document's file copy; the working copy and the current model follow
// (and the band code of `info`, when given). Used by every load after its checks passed.
void InstallPair(AppState& app, Document& doc, const LoadedPair& pair, RadioInfoRecord* info = nullptr);

// The bytes of a document copy's pair as they are saved: the settings file and the channel file
// of its used slots.
struct PairBytes {
    std::vector<std::uint8_t> settings;
    std::vector<std::uint8_t> channels;
};
PairBytes EncodePair(const DocumentCopy& copy);

// The working copy's ModelInfo is refreshed from the current model, then its settings record and
// its channels are copied onto the file copy.
void CommitToFileCopy(AppState& app, Document& doc);

// Reads a settings file into the working settings record, keeping the working channel table and
// its ChannelCount, with the current model's ModelInfo; then the file copy is made equal to the
// working copy. A refused file is reported and changes nothing; returns whether it was loaded.
bool LoadSettingsOnly(AppState& app, Document& doc, const std::string& path);
// Reads a settings file and its channel file into the file copy, then the working copy and the
// current model follow (and the band code of the radio-information record `info`, when given). A
// refused pair is reported and changes nothing.
bool LoadWithChannels(AppState& app, Document& doc, const std::string& path, RadioInfoRecord* info = nullptr);

enum class OpenResult {
    Opened,     // the document holds the file; DocFileName is the path, IsUntitled false
    Refused,    // reported (or declined by the user); the document and DocFileName are unchanged
    HandedOver, // another program version was started for this file: this program should end
};
// The Open command's reading: the version test (with the hand-over question for a version this
// program does not handle), then the pair is read as LoadWithChannels does.
OpenResult OpenDocument(AppState& app, Document& doc, const std::string& path,
                        RadioInfoRecord* info = nullptr);

// Commits the working copy and writes DocFileName and its channel file, each flushed to the disk.
// A name that does not end in ".dat" is refused (message kNotASettingsFileName and the path). On
// failure message 9002 is shown with the file and the system's reason, the previous files and the
// file copy are untouched (a folder in the place of either file is never replaced) and false is
// returned; on success IsUntitled = false.
bool SaveDocument(AppState& app, Document& doc);

// Path of the model's factory template in the program folder's Init folder: model name, "_",
// band code, then "_NEW.dat", or ".dat" when the Initialise command asked for factory data.
std::string TemplatePath(const AppState& app);
// Loads the model's factory template over a new document; a missing template is no error.
void LoadTemplate(AppState& app, Document& doc, RadioInfoRecord* info = nullptr);
// A new document: the built-in new-document values (the radio-information record reset), then
// the model's factory template over them.
void InitDocument(AppState& app, Document& doc, RadioInfoRecord& info);

} // namespace zt
