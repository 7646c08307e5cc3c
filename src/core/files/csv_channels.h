// SPDX-License-Identifier: GPL-3.0-or-later
// The channel table as CSV in the common column layout that radio programming tools exchange:
//
//   Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,
//   RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE
//
// Location is the channel number (1..481); Frequency and Offset are MHz with six decimals; Duplex is
// "", "+" or "-" ("split" puts the TX frequency into Offset, "off" inhibits transmission: the
// channel is receive-only); Tone is "", "Tone" (TX CTCSS in rToneFreq), "TSQL" (the same CTCSS
// both ways in cToneFreq), "DTCS" (the same DCS code both ways, DtcsPolarity = TX then RX
// polarity, N or R) or "Cross" with CrossMode "Tone->Tone", "Tone->DTCS", "DTCS->Tone", "DTCS->",
// "->Tone", "->DTCS" or "DTCS->DTCS" (TX tone in rToneFreq / DtcsCode, RX tone in cToneFreq /
// RxDtcsCode); Mode is AM or FM; Skip is "S" for a channel that scan skips; Power is the level of
// the channel's mode in watts, as other tools read it: the export writes Low as "4.0W" and High as
// "25W", and the import reads any watts by one rule, under 10 W Low and 10 W or more High,
// whatever the file's other rows say (the words Low and High are read too).
//
// Fields of this radio that the layout lacks are written into Comment as "zt:" followed by
// blank-separated key=value pairs of the fields that are not 0 (ampower, fmpower, modelock,
// ampowerlock, fmpowerlock, rxexpander, txcompressor, nbanl, att, hicut, busylock, rogerbeep,
// squelchmode, pttidbot, pttideot, callcode, txinhibit, scrambletalkaround, voiceencrypt,
// talkaround, signalrelation, whisper, pttidmode, spacing, optsignal, compander, scrambler, rep,
// tsq, replock, rxstep and txstep (the step grid classes the channel holds); and offsetdir, 1 =
// minus, 2 = plus, the shift of a receive-only channel whose Duplex says "off"). A comment with
// "zt:" sets every one of these fields (absent keys are 0), so an export imports back unchanged.
//
// The file may be UTF-8 (with or without a byte-order mark) or UTF-16 with a byte-order mark
// (spreadsheets' "Unicode text"); its separator is a comma, a semicolon or a tab, whichever the
// header line has most of; with a semicolon or a tab, numbers may have a decimal comma
// ("29,600"). Lines whose first field starts with '#' are comments and are skipped.
//
// Where the rows go (CsvImportOptions): on the file's own channel numbers, or in file order from
// a channel the user picks, taking consecutive channels that can take a frequency now (not the
// VFO entry 481, not the fixed band-plan groups 0..6 while frequencies are not editable) and,
// unless channels in use may be replaced, that are free. A row that lands on a channel in use
// replaces it: the channel gets the file's values and a new channel's values for everything the
// file does not say, unless the row's Comment carries "zt:" (this program's own export) or the
// user chose to update only the columns the file has.
//
// Import checks every row and refuses, with reasons, what the radio cannot hold: numbers outside
// 1..481, a channel number repeated, frequencies outside the band or finer than 10 Hz, tones
// outside the radio's tone list, modes other than AM/FM, rows left over when no channel is free.
// A frequency off the channel step grids is taken as it is, with a note. A channel of the fixed
// band-plan groups 0..6 (while frequencies are not editable) takes a row whose RX frequency is the
// one the channel holds, or a row of this program's own export ("zt:" comment: the band plan of
// the radio it was read from); any other frequency there is refused. Nothing changes until the
// plan is applied. Planning
// reads the file once, in time linear in its size, and keeps the rows taken (at most one per
// channel) and the first kCsvListedRefusals refused rows; the others are only counted.
#pragma once

#include "app/app_state.h"
#include "files/file_io.h"
#include "model/document.h"

#include <algorithm>
#include <optional>
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
    int line = 0;         // line of the file where the row starts (1 = header)
    std::string location; // the Location text as found (shown with control characters escaped)
    ChannelRecord record;
    bool replaces = false;       // the channel exists and is replaced
    bool reset = false;          // ... and its settings the file does not give become a new channel's
    std::vector<CsvIssue> notes; // how a value was understood (power given in watts, ...)
};

struct CsvRefusedRow {
    int line = 0;
    std::string location; // the Location text as found
    std::vector<CsvIssue> reasons;
};

// Refused rows listed in a plan; further ones are counted in refusedCount only.
constexpr int kCsvListedRefusals = 300;

// Why rows do not fit on their own channel numbers, cause by cause: how many rows, and the lowest
// and highest channel met (band plan) or the first number met as found (outside 1..481).
struct CsvPlaceCause {
    int rows = 0;
    int low = 0;
    int high = 0;
    std::string example;
    void add(int no) {
        low = rows == 0 ? no : std::min(low, no);
        high = rows == 0 ? no : std::max(high, no);
        ++rows;
    }
};
struct CsvPlaceCauses {
    CsvPlaceCause bandPlan;  // channels of groups 0..6 that take no frequency or hold another one
    CsvPlaceCause outside;   // numbers 0, negative or above 481
    CsvPlaceCause repeated;  // the number of an earlier row
    CsvPlaceCause notNumber; // no whole number
};

// How the file was read: its encoding, its separator, and the comment lines skipped.
struct CsvFileShape {
    int encoding = 0;     // csv::Encoding as a number: 0 UTF-8, 1 UTF-8 with a mark, 2 UTF-16 LE, 3 BE
    char separator = ','; // ',', ';' or '\t'; with ';' or '\t' decimal commas are read too
    int commentLines = 0;
};

struct CsvImportPlan {
    int fileError = 0;     // text id when the file cannot be used at all (no rows are then listed)
    int fileErrorLine = 0; // the line the error is about (a quote still open at the end), or 0
    CsvFileShape shape;
    std::vector<CsvTakenRow> taken;
    std::vector<CsvRefusedRow> refused; // the first kCsvListedRefusals refused rows
    int refusedCount = 0;               // every refused row
    int rowCount = 0;                   // data rows of the file (blank rows not counted)
    // On the file's numbers: refused rows whose first reason is their number (not a number,
    // outside 1..481, repeated) or a band-plan channel that takes no frequency; by cause.
    int refusedForPlace = 0;
    CsvPlaceCauses placeCauses;
};

// Where the rows of a file go.
enum class CsvPlacement {
    FileNumbers, // Location is the channel number
    FileOrder,   // consecutive channels from firstChannel, in the order of the file
};
// What a row does to a channel in use.
enum class CsvReplace {
    Reset,         // the file's values; a new channel's for the rest (unless the comment has "zt:")
    UpdateColumns, // only the columns the file has change
};
struct CsvImportOptions {
    CsvPlacement placement = CsvPlacement::FileNumbers;
    int firstChannel = 1;      // FileOrder: the channel the rows start from (1..481)
    bool replaceInUse = false; // FileOrder: channels in use take rows too (else they are skipped)
    CsvReplace replace = CsvReplace::Reset;
};

// Reads a CSV text (UTF-8, with or without a byte-order mark, CRLF or LF, RFC 4180 quoting) and
// decides row by row what the import would do to `d`. Changes nothing.
CsvImportPlan PlanCsvImport(const AppState& app, const DocumentCopy& d, std::string_view csv,
                            const CsvImportOptions& options = {});

// Whether channel `channelNo` can take a frequency now: not the VFO entry, and not a channel of
// the fixed band-plan groups 0..6 while frequencies are not editable.
bool CsvChannelTakesFrequency(const DocumentCopy& d, int channelNo);
// The first channel from `from` on that takes a frequency and is not in use; 0 when none is.
int FirstFreeChannel(const DocumentCopy& d, int from = 1);

// The placement a preview opens on. The file's channel numbers, unless they would put most rows
// (of those not refused for their content) on refused or band-plan channels (numbers from 0,
// above 481, repeated, or on groups 0..6 where the channel does not already hold that frequency):
// then file order from the first free channel, with `reason` set. A file of this program's own
// export (a "zt:" comment) keeps its numbers.
struct CsvPlacementAdvice {
    CsvImportOptions options;
    int reason = 0;        // text id of the one-line reason for file order, 0 for the file's numbers
    int misplaced = 0;     // rows whose own number does not fit
    int considered = 0;    // rows not refused for their content
    CsvPlaceCauses causes; // which of them applied
};
CsvPlacementAdvice AdviseCsvPlacement(const AppState& app, const DocumentCopy& d, std::string_view csv);
// The advice's reason as one line ("... 13 of 14 rows ...: in file order from group 7 CH 1").
std::string CsvPlacementReasonText(const AppState& app, const CsvPlacementAdvice& advice);

// "group 8 CH 1" as the channel grid shows channel 321.
std::string CsvChannelPlace(const AppState& app, int channelNo);

// One line on where the rows go with `options` ("The rows go in file order from Group 8 CH 39, ...").
std::string CsvPlacementText(const AppState& app, const CsvImportOptions& options);
// Why a plan with `options` takes no row: the placement when another one would take rows (every
// number of the file unusable, or no free channel left from the channel chosen), else the file.
std::string CsvNothingTakenText(const AppState& app, const DocumentCopy& d, std::string_view csv,
                                const CsvImportOptions& options);
// What an applied plan did: how many channels, from the lowest to the highest ("Imported 5
// channels: Group 7 CH 1 - Group 7 CH 5"); empty for a plan that takes nothing.
std::string CsvImportedText(const AppState& app, const CsvImportPlan& plan);
// Both counts, and the first refused rows with their reasons: "18 imported, 40 refused; first
// refused: line 2, channel 0: ...". `applied` false: nothing was imported (all or nothing), so
// the count imported is 0 whatever the plan takes.
std::string CsvOutcomeText(const AppState& app, const CsvImportPlan& plan, bool applied = true);
// How the file was read, for the preview ("Read as UTF-16 little-endian text; columns separated
// by tabs, decimal commas accepted; 2 comment lines (#) skipped.").
std::string CsvShapeText(const AppState& app, const CsvFileShape& shape);

// Puts the taken rows into the table: an existing channel's record is replaced, a new channel is
// appended. Returns whether anything changed.
bool ApplyCsvImport(const CsvImportPlan& plan, DocumentCopy& d);

// The same through files: the export is written through a staged file (false when it cannot be
// written); a file that cannot be read, or is larger than kCsvFileLimit, gives fileError
// FileUnreadable.
constexpr std::size_t kCsvFileLimit = 8u * 1024 * 1024;
// `error`, when given, says which file and why when it fails.
bool ExportChannelsCsvFile(const AppState& app, const DocumentCopy& d, const std::string& path,
                           FileError* error = nullptr);
// The file's text, or nothing when it cannot be read or is larger than kCsvFileLimit.
std::optional<std::string> ReadCsvFile(const std::string& path, FileError* error = nullptr);
CsvImportPlan PlanCsvImportFile(const AppState& app, const DocumentCopy& d, const std::string& path,
                                const CsvImportOptions& options = {});

// "text (detail)" in the current language (the text alone when there is no detail); the detail
// is shown with control characters escaped.
std::string CsvIssueText(const AppState& app, const CsvIssue& issue);
// Why a file cannot be imported at all: the plan's fileError with the file's name and, where the
// error has one, its line.
std::string CsvFileErrorText(const AppState& app, const CsvImportPlan& plan, const std::string& fileName);

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
constexpr int QuoteNotClosed = 34100;
constexpr int NoFreeChannel = 34101;
constexpr int NoteReset = 34102;
constexpr int NoteUpdated = 34103;
constexpr int AdviceFileOrder = 34104;
constexpr int WattsRule = 34105;
constexpr int NothingFileEmpty = 33017;
constexpr int NothingByNumber = 34116;
constexpr int NothingInOrder = 34117;
constexpr int PlaceByNumber = 34118;
constexpr int PlaceInOrderFree = 34119;
constexpr int PlaceInOrderReplace = 34120;
constexpr int ImportedMany = 34121;
constexpr int ImportedOne = 34122;
constexpr int Utf16Cut = 34123;
constexpr int ShapeRead = 34124;
constexpr int EncodingUtf8 = 34125; // .. 34128 in csv::Encoding order
constexpr int SeparatorComma = 34129;
constexpr int SeparatorSemicolon = 34130;
constexpr int SeparatorTab = 34131;
constexpr int CommentLinesSkipped = 34132;
constexpr int Outcome = 34133;
constexpr int OutcomeFirstRefused = 34134;
constexpr int OutcomeLine = 34135;
constexpr int CauseBandPlan = 34136;
constexpr int CauseBandPlanOne = 34137;
constexpr int CauseOutside = 34138;
constexpr int CauseRepeated = 34139;
constexpr int CauseNotNumber = 34140;
constexpr int NoteOffGrid = 34141;
constexpr int OutcomeInPreview = 34142;
} // namespace csvtext

} // namespace zt
