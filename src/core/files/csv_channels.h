// The channel table as CSV in the common column layout that radio programming tools exchange:
//
//   Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,
//   RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE
//
// Location is the channel number (1..481); Frequency and Offset are MHz with six decimals; Duplex is
// "", "+" or "-" ("split" puts the TX frequency into Offset, "off" inhibits transmission); Tone is
// "", "Tone" (TX CTCSS in rToneFreq), "TSQL" (the same CTCSS both ways in cToneFreq), "DTCS" (the
// same DCS code both ways, DtcsPolarity = TX then RX polarity, N or R) or "Cross" with CrossMode
// "Tone->Tone", "Tone->DTCS", "DTCS->Tone", "DTCS->", "->Tone", "->DTCS" or "DTCS->DTCS" (TX tone in
// rToneFreq / DtcsCode, RX tone in cToneFreq / RxDtcsCode); Mode is AM or FM; Skip is "S" for a
// channel that scan skips; Power is Low or High, the level of the channel's mode.
//
// Fields of this radio that the layout lacks are written into Comment as "zt:" followed by
// blank-separated key=value pairs of the fields that are not 0 (ampower, fmpower, modelock,
// ampowerlock, fmpowerlock, rxexpander, txcompressor, nbanl, att, hicut, busylock, rogerbeep,
// squelchmode, pttidbot, pttideot, callcode, txinhibit, scrambletalkaround, voiceencrypt,
// talkaround, signalrelation, whisper, pttidmode, spacing, optsignal, compander, scrambler, rep,
// tsq, replock). A comment with "zt:" sets every one of these fields (absent keys are 0), so an
// export imports back unchanged; a comment without it (another program's) leaves them as they are.
//
// Import checks every row with the channel editor's rules and refuses, with reasons, what the
// editor would refuse or change: numbers outside 1..481, a channel number repeated, frequencies
// outside the band or off the channel step grids, frequencies of the fixed band-plan groups 0..6
// while frequencies are not editable, tones outside the radio's tone list, modes other than AM/FM.
// Nothing changes until the plan is applied.
#pragma once

#include "app/app_state.h"
#include "model/document.h"

#include <string>
#include <string_view>
#include <vector>

namespace zt {

// The 21 column names, in order.
const std::vector<std::string>& CsvChannelColumns();

// The channels with an RX frequency, ascending by number, with the header row; CRLF line ends.
std::string ExportChannelsCsv(const AppState& app, const DocumentCopy& d);

// A reason or note: a language text id and the detail it refers to (the text as found in the file).
struct CsvIssue {
    int textId = 0;
    std::string detail;
};

struct CsvTakenRow {
    int line = 0; // line of the file where the row starts (1 = header)
    ChannelRecord record;
    bool replaces = false;       // the channel exists and is replaced
    std::vector<CsvIssue> notes; // how a value was understood (power given in watts, ...)
};

struct CsvRefusedRow {
    int line = 0;
    std::string location; // the Location text as found
    std::vector<CsvIssue> reasons;
};

struct CsvImportPlan {
    int fileError = 0; // text id when the file cannot be used at all (no rows are then listed)
    std::vector<CsvTakenRow> taken;
    std::vector<CsvRefusedRow> refused;
};

// Reads a CSV text (UTF-8, with or without a byte-order mark, CRLF or LF, RFC 4180 quoting) and
// decides row by row what the import would do to `d`. Changes nothing.
CsvImportPlan PlanCsvImport(const AppState& app, const DocumentCopy& d, std::string_view csv);

// Puts the taken rows into the table: an existing channel's record is replaced, a new channel is
// appended. Returns whether anything changed.
bool ApplyCsvImport(const CsvImportPlan& plan, DocumentCopy& d);

// The same through files: the export is written through a staged file (false when it cannot be
// written); a file that cannot be read, or is larger than 8 MB, gives fileError FileUnreadable.
bool ExportChannelsCsvFile(const AppState& app, const DocumentCopy& d, const std::string& path);
CsvImportPlan PlanCsvImportFile(const AppState& app, const DocumentCopy& d, const std::string& path);

// "text (detail)" in the current language (the text alone when there is no detail).
std::string CsvIssueText(const AppState& app, const CsvIssue& issue);

// Text ids of the import's messages (section "Others").
namespace csvtext {
constexpr int FileUnreadable = 33014;
constexpr int NoLocationOrFrequency = 33015;
constexpr int LocationMissing = 33020;
constexpr int LocationRange = 33021;
constexpr int LocationRepeated = 33022;
constexpr int FrequencyMissing = 33023;
constexpr int FrequencyOutOfBand = 33024;
constexpr int FrequencyOffGrid = 33025;
constexpr int FrequencyTooFine = 33026;
constexpr int FrequencyFixed = 33027;
constexpr int DuplexUnknown = 33028;
constexpr int OffsetInvalid = 33029;
constexpr int TxOutOfBand = 33030;
constexpr int TxOffGrid = 33031;
constexpr int CtcssUnknown = 33032;
constexpr int DcsUnknown = 33033;
constexpr int ToneModeUnknown = 33034;
constexpr int ModeUnsupported = 33035;
constexpr int SkipUnknown = 33036;
constexpr int CommentInvalid = 33037;
constexpr int PowerUnknown = 33038;
constexpr int NoteNarrowFm = 33040;
constexpr int NotePriorityScan = 33041;
constexpr int NoteTxInhibit = 33042;
constexpr int NotePowerWatts = 33043;
} // namespace csvtext

} // namespace zt
