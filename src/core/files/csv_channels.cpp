// SPDX-License-Identifier: GPL-3.0-or-later
// CSV export and import of the channel table (column layout and rules in csv_channels.h). The
// file's encoding and separator are recognised and its records split in files/csv/; this file
// maps the columns to and from channel records with the frequency and tone codecs.
#include "files/csv_channels.h"

#include "util/shown_text.h"

#include "codec/freq.h"
#include "codec/numbers.h"
#include "codec/tone.h"
#include "files/csv/csv_reader.h"
#include "files/csv/csv_text.h"
#include "files/file_io.h"
#include "model/channel_table.h"
#include "util/trim.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>

namespace zt {

namespace {

// The radio-specific fields carried in Comment, with the values the editors can give them.
struct CommentKey {
    const char* name;
    i16 ChannelRecord::*field;
    int max;
};

constexpr CommentKey kCommentKeys[] = {
    {"ampower", &ChannelRecord::AmPower, 1},
    {"fmpower", &ChannelRecord::FmPower, 1},
    {"modelock", &ChannelRecord::ModeLock, 1},
    {"ampowerlock", &ChannelRecord::AmPowerLock, 1},
    {"fmpowerlock", &ChannelRecord::FmPowerLock, 1},
    {"rxexpander", &ChannelRecord::RxExpander, 1},
    {"txcompressor", &ChannelRecord::TxCompressor, 1},
    {"nbanl", &ChannelRecord::NbAnl, 1},
    {"att", &ChannelRecord::Att, 1},
    {"hicut", &ChannelRecord::HiCut, 1},
    {"busylock", &ChannelRecord::BusyLock, 3},
    {"rogerbeep", &ChannelRecord::RogerBeep, 15},
    {"squelchmode", &ChannelRecord::SquelchMode, 15},
    {"pttidbot", &ChannelRecord::PttIdBot, 255},
    {"pttideot", &ChannelRecord::PttIdEot, 255},
    {"callcode", &ChannelRecord::CallCode, 255},
    {"txinhibit", &ChannelRecord::TxInhibit, 1},
    {"scrambletalkaround", &ChannelRecord::ScrambleTalkaround, 255},
    {"voiceencrypt", &ChannelRecord::VoiceEncrypt, 1},
    {"talkaround", &ChannelRecord::Talkaround, 1},
    {"signalrelation", &ChannelRecord::SignalRelation, 255},
    {"whisper", &ChannelRecord::Whisper, 1},
    {"pttidmode", &ChannelRecord::PttIdMode, 255},
    {"spacing", &ChannelRecord::Spacing, 255},
    {"optsignal", &ChannelRecord::OptSignal, 255},
    {"compander", &ChannelRecord::Compander, 1},
    {"scrambler", &ChannelRecord::Scrambler, 1},
    {"rep", &ChannelRecord::Rep, 3},
    {"tsq", &ChannelRecord::Tsq, 1},
    {"replock", &ChannelRecord::RepLock, 1},
    {"rxstep", &ChannelRecord::RxStepClass, 2},
    {"txstep", &ChannelRecord::TxStepClass, 2},
};

constexpr const char* kCommentMarker = "zt:";
// The shift of a receive-only channel (Duplex "off"): 1 minus, 2 plus.
constexpr const char* kOffsetDirKey = "offsetdir";

enum Col {
    cLocation,
    cName,
    cFrequency,
    cDuplex,
    cOffset,
    cTone,
    cRToneFreq,
    cCToneFreq,
    cDtcsCode,
    cDtcsPolarity,
    cRxDtcsCode,
    cCrossMode,
    cMode,
    cTStep,
    cSkip,
    cPower,
    cComment,
    cUrCall,
    cRpt1Call,
    cRpt2Call,
    cDvCode,
    kColumnCount
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Blanks(std::string_view s) {
    return TrimAny(s, " \t");
}

// ---- Frequencies in whole units of 10 Hz --------------------------------------------------------

// "27.611250": MHz with six decimals.
std::string MhzText(long long units) {
    const long long hz = units * 10;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%06lld", hz / 1000000, hz % 1000000);
    return buf;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long long> RxUnits(const AppState& app, const ChannelRecord& r) {
    const std::string rx = r.RxFreq.trimmed();
    if (!AllDigits(rx))
        return std::nullopt;
    const auto v = ParseNumber(RxText(app, r.RxFreq.raw()));
    if (!v)
        return std::nullopt;
    return Units(*v);
}

long long OffsetUnits(const ChannelRecord& r) {
    return Units(std::abs(ParseNumber(OffsetText(r.TxOffset.raw(), 0)).value_or(0.0)));
}

// A non-negative MHz text ("28", "28.000000", ".5") that names a whole number of 10 Hz units,
// read digit by digit so that no value, however long, overflows: more than five digits before
// the point is TooLarge (far outside any band), a digit other than 0 after the fifth decimal
// TooFine.
enum class MhzParse { Ok, NotNumber, TooFine, TooLarge };
MhzParse ParseMhz(std::string_view text, long long& units) {
    text = Blanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto point = text.find('.');
    std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() && fraction.empty())
        return MhzParse::NotNumber;
    if (!digits(whole) || !digits(fraction))
        return MhzParse::NotNumber;
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    if (whole.size() > 5)
        return MhzParse::TooLarge;
    long long v = 0;
    for (char c : whole)
        v = v * 10 + (c - '0');
    for (std::size_t i = 0; i < 5; ++i)
        v = v * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    units = v;
    const bool fine = fraction.size() > 5 &&
                      !std::all_of(fraction.begin() + 5, fraction.end(), [](char c) { return c == '0'; });
    return fine ? MhzParse::TooFine : MhzParse::Ok;
}

// ---- Tones ----------------------------------------------------------------------------------------

struct ToneParts {
    enum Kind { None, Ctcss, Dcs } kind = None;
    unsigned value = 0; // CTCSS in tenths of Hz, DCS code value (octal digits)
    bool inverted = false;
};

ToneParts SplitTone(int index) {
    ToneParts t;
    if (index <= 0 || index >= kToneCount)
        return t;
    const std::uint16_t code = ToneToCode(index);
    t.value = code & 0x0FFF;
    t.kind = (code >> 12) == 0 ? ToneParts::Ctcss : ToneParts::Dcs;
    t.inverted = (code >> 12) == 0x8;
    return t;
}

std::string CtcssText(unsigned tenths) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u", tenths / 10, tenths % 10);
    return buf;
}

std::string DcsText(unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03o", value);
    return buf;
}

// Tone index of a CTCSS text in Hz ("88.5"), 0 when the radio's list lacks it.
int CtcssIndex(std::string_view text) {
    const auto v = ParseNumber(text);
    if (!v || *v <= 0 || *v > 400)
        return 0;
    const long long tenths = RoundHalfEven(*v * 10.0);
    if (std::abs(*v * 10.0 - static_cast<double>(tenths)) > 1e-6)
        return 0;
    return CodeToTone(static_cast<std::uint16_t>(tenths));
}

// Tone index of a DCS code text (octal digits, "023" or "23") and polarity, 0 when not in the list.
int DcsIndex(std::string_view text, bool inverted) {
    text = Blanks(text);
    if (text.empty() || text.size() > 4)
        return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '7')
            return 0;
        value = value * 8 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 0x0FFF)
        return 0;
    return CodeToTone(static_cast<std::uint16_t>((inverted ? 0x8000 : 0xD000) + value));
}

// ---- Writing ------------------------------------------------------------------------------------

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

void WriteRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += Quoted(fields[i]);
    }
    out += "\r\n";
}

std::string LevelText(int level) {
    return level != 0 ? "High" : "Low";
}

// The Power column of the export: other tools read power only as watts ("4.0W"), and both
// figures lie on their level's side of the import's 10 W rule, so the export reads back as it was.
std::string LevelWatts(int level) {
    return level != 0 ? "25W" : "4.0W";
}

std::vector<std::string> ExportRow(const ChannelRecord& r, long long rx) {
    std::vector<std::string> f(kColumnCount);
    f[cLocation] = std::to_string(r.ChannelNo);
    f[cFrequency] = MhzText(rx);
    // A receive-only channel says so in Duplex; its shift, kept for when transmission is allowed
    // again, goes into the comment (offsetdir).
    f[cDuplex] = r.TxInhibit != 0 ? "off" : r.TxOffsetDir == 1 ? "-" : r.TxOffsetDir == 2 ? "+" : "";
    f[cOffset] = MhzText(OffsetUnits(r));

    // Unused tone columns carry the customary defaults, which readers expect to be valid values.
    f[cRToneFreq] = "88.5";
    f[cCToneFreq] = "88.5";
    f[cDtcsCode] = "023";
    f[cRxDtcsCode] = "023";
    f[cCrossMode] = "Tone->Tone";
    const ToneParts tx = SplitTone(r.EncodeTone);
    const ToneParts rxTone = SplitTone(r.DecodeTone);
    const char txPol = tx.kind == ToneParts::Dcs && tx.inverted ? 'R' : 'N';
    const char rxPol = rxTone.kind == ToneParts::Dcs && rxTone.inverted ? 'R' : 'N';
    f[cDtcsPolarity] = std::string{txPol, rxPol};
    using K = ToneParts;
    if (tx.kind == K::None && rxTone.kind == K::None) {
        f[cTone] = "";
    } else if (tx.kind == K::Ctcss && rxTone.kind == K::None) {
        f[cTone] = "Tone";
        f[cRToneFreq] = CtcssText(tx.value);
    } else if (tx.kind == K::Ctcss && rxTone.kind == K::Ctcss && tx.value == rxTone.value) {
        f[cTone] = "TSQL";
        f[cRToneFreq] = f[cCToneFreq] = CtcssText(tx.value);
    } else if (tx.kind == K::Dcs && rxTone.kind == K::Dcs && tx.value == rxTone.value) {
        f[cTone] = "DTCS";
        f[cDtcsCode] = f[cRxDtcsCode] = DcsText(tx.value);
    } else {
        f[cTone] = "Cross";
        auto part = [](ToneParts::Kind k) { return k == K::Ctcss ? "Tone" : k == K::Dcs ? "DTCS" : ""; };
        f[cCrossMode] = std::string(part(tx.kind)) + "->" + part(rxTone.kind);
        if (tx.kind == K::Ctcss)
            f[cRToneFreq] = CtcssText(tx.value);
        if (tx.kind == K::Dcs)
            f[cDtcsCode] = DcsText(tx.value);
        if (rxTone.kind == K::Ctcss)
            f[cCToneFreq] = CtcssText(rxTone.value);
        if (rxTone.kind == K::Dcs)
            f[cRxDtcsCode] = DcsText(rxTone.value);
    }

    f[cMode] = r.Mode == 0 ? "AM" : "FM";
    static const char* const kSteps[] = {"5.00", "6.25", "8.33"};
    f[cTStep] = kSteps[std::clamp<int>(r.RxStepClass, 0, 2)];
    f[cSkip] = r.ScanSkip != 0 ? "S" : "";
    f[cPower] = LevelWatts(r.Mode == 0 ? r.AmPower : r.FmPower);

    std::string comment = kCommentMarker;
    const i16 ChannelRecord::*shownPower = r.Mode == 0 ? &ChannelRecord::AmPower : &ChannelRecord::FmPower;
    for (const CommentKey& k : kCommentKeys)
        if (k.field != shownPower && r.*(k.field) != 0)
            comment += std::string(" ") + k.name + "=" + std::to_string(r.*(k.field));
    if (r.TxInhibit != 0 && r.TxOffsetDir != 0)
        comment += std::string(" ") + kOffsetDirKey + "=" + std::to_string(r.TxOffsetDir);
    f[cComment] = comment;
    return f;
}

// ---- Reading ------------------------------------------------------------------------------------

using CsvRecord = csv::Record;

// One data row with the file's column order resolved.
// With `decimalComma` (a file separated by semicolons or tabs) the number columns may write
// their decimal point as a comma, as spreadsheets of many languages do ("29,600"): read as a point.
class RowView {
  public:
    RowView(const std::vector<int>& map, const CsvRecord& rec, bool decimalComma)
        : map_(map), rec_(rec), decimalComma_(decimalComma) {}
    bool has(Col c) const { return map_[c] >= 0; }
    std::string operator[](Col c) const {
        const int i = map_[c];
        if (i < 0 || i >= static_cast<int>(rec_.fields.size()))
            return {};
        std::string text(Blanks(rec_.fields[static_cast<std::size_t>(i)]));
        const bool number = c == cFrequency || c == cOffset || c == cRToneFreq || c == cCToneFreq ||
                            c == cTStep || c == cPower;
        if (decimalComma_ && number)
            std::replace(text.begin(), text.end(), ',', '.');
        return text;
    }

  private:
    const std::vector<int>& map_;
    const CsvRecord& rec_;
    bool decimalComma_;
};

// A watt value ("4.0W", "50 W", "5"), or nothing.
std::optional<double> Watts(std::string_view text) {
    std::string t = Lower(Blanks(text));
    if (!t.empty() && t.back() == 'w')
        t.pop_back();
    const auto v = ParseNumber(t);
    if (!v || *v < 0)
        return std::nullopt;
    return v;
}

// Watts of another radio as this radio's level: one rule for every row.
constexpr double kHighPowerWatts = 10.0;
int WattsLevel(double watts) {
    return watts >= kHighPowerWatts ? 1 : 0;
}

// A column that holds one of a few words (compared without case): the word's value goes into
// `field`, with a note when the word is only close to what this radio has; another word is refused.
struct Keyword {
    const char* word;
    i16 value;
    int note; // text id, 0 for none
};

void keyword(const RowView& row, Col c, std::initializer_list<Keyword> words, i16& field, int refusal,
             std::vector<CsvIssue>& reasons, std::vector<CsvIssue>& notes) {
    const std::string text = row[c];
    const std::string t = Lower(text);
    for (const Keyword& k : words)
        if (t == k.word) {
            field = k.value;
            if (k.note != 0)
                notes.push_back({k.note, text});
            return;
        }
    reasons.push_back({refusal, text});
}

// The value of key `name` in a "zt:" comment, or nothing.
std::optional<int> CommentNumber(const std::string& comment, std::string_view name) {
    const auto at = comment.find(kCommentMarker);
    if (at == std::string::npos)
        return std::nullopt;
    std::string_view rest =
        std::string_view(comment).substr(at + std::char_traits<char>::length(kCommentMarker));
    while (true) {
        rest = TrimAny(rest, " \t\r\n");
        if (rest.empty())
            return std::nullopt;
        const auto end = rest.find_first_of(" \t\r\n");
        const std::string_view token = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        const auto eq = token.find('=');
        if (eq == std::string_view::npos || Lower(token.substr(0, eq)) != name)
            continue;
        const std::string value(token.substr(eq + 1));
        if (!AllDigits(value) || value.size() > 5)
            return std::nullopt;
        return std::stoi(value);
    }
}

// The channel editor's rule: the fixed band-plan groups 0..6 take no frequency unless frequencies
// are made editable.
bool BandPlanAllows(const DocumentCopy& d, int channelNo) {
    return FrequencyEditable(GroupOfChannel(channelNo), d.settings.Options.Features);
}

// A new channel as the channel grid adds one: every field 0, the offset seven NULs.
ChannelRecord NewChannel(int channelNo) {
    ChannelRecord r;
    r.ChannelNo = static_cast<i16>(channelNo);
    r.TxOffset = std::string(7, '\0');
    return r;
}

class RowChecker {
  public:
    RowChecker(const AppState& app, const DocumentCopy& d, CsvReplace replace)
        : app_(app), d_(d), replace_(replace) {}

    // Fills `taken` (true) or `reasons` (false) for the row put on channel `channelNo`; the
    // caller has chosen the channel.
    bool check(const RowView& row, int channelNo, CsvTakenRow& taken, std::vector<CsvIssue>& reasons);

  private:
    // `existing` is the channel in use (its frequencies may stay), `base` the record the row's
    // missing columns come from (null: a new channel's values).
    // `ownExport`: the row carries this program's "zt:" comment.
    void frequencies(const RowView& row, ChannelRecord& r, const ChannelRecord* existing,
                     const ChannelRecord* base, bool ownExport, std::vector<CsvIssue>& reasons,
                     std::vector<CsvIssue>& notes);
    void tones(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons);
    void comment(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons);
    void power(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons,
               std::vector<CsvIssue>& notes);

    const AppState& app_;
    const DocumentCopy& d_;
    CsvReplace replace_;
};

void RowChecker::frequencies(const RowView& row, ChannelRecord& r, const ChannelRecord* existing,
                             const ChannelRecord* base, bool ownExport, std::vector<CsvIssue>& reasons,
                             std::vector<CsvIssue>& notes) {
    const std::string freqText = row[cFrequency];
    long long rx = 0;
    switch (ParseMhz(freqText, rx)) {
    case MhzParse::NotNumber:
        reasons.push_back({csvtext::FrequencyMissing, freqText});
        return;
    case MhzParse::TooFine:
        reasons.push_back({csvtext::FrequencyTooFine, freqText});
        return;
    case MhzParse::TooLarge:
        reasons.push_back({csvtext::FrequencyOutOfBand, freqText});
        return;
    case MhzParse::Ok:
        break;
    }
    if (!InBand(app_, rx)) {
        reasons.push_back({csvtext::FrequencyOutOfBand, freqText});
        return;
    }

    // TX: direction and offset magnitude.
    const std::string duplex = Lower(row[cDuplex]);
    const std::string offsetText = row[cOffset];
    long long magnitude = base ? OffsetUnits(*base) : 0;
    std::uint8_t dir = 0;
    long long given = 0;
    const bool hasOffset = !offsetText.empty();
    if (hasOffset) {
        switch (ParseMhz(offsetText, given)) {
        case MhzParse::Ok:
            break;
        case MhzParse::TooLarge:
            // Far beyond any band whichever way it goes (shown as typed).
            if (duplex == "+" || duplex == "-" || duplex == "split") {
                reasons.push_back({csvtext::TxOutOfBand, offsetText});
                return;
            }
            [[fallthrough]];
        default:
            reasons.push_back({csvtext::OffsetInvalid, offsetText});
            return;
        }
    }
    if (!row.has(cDuplex)) {
        // Without the column the channel keeps its TX side.
        dir = base ? base->TxOffsetDir : 0;
    } else if (duplex == "+" || duplex == "-") {
        if (!hasOffset) {
            reasons.push_back({csvtext::OffsetInvalid, offsetText});
            return;
        }
        dir = duplex == "+" ? 2 : 1;
        magnitude = given;
        if (magnitude == 0)
            dir = 0;
    } else if (duplex == "split") {
        if (!hasOffset) {
            reasons.push_back({csvtext::OffsetInvalid, offsetText});
            return;
        }
        const long long d = given - rx;
        dir = d > 0 ? 2 : d < 0 ? 1 : 0;
        if (d != 0)
            magnitude = std::llabs(d);
    } else if (duplex.empty() || duplex == "off") {
        if (hasOffset)
            magnitude = given;
        // A receive-only channel of this program's export keeps its shift.
        if (duplex == "off")
            if (const auto d = CommentNumber(row[cComment], kOffsetDirKey); d && (*d == 1 || *d == 2))
                dir = static_cast<std::uint8_t>(*d);
    } else {
        reasons.push_back({csvtext::DuplexUnknown, row[cDuplex]});
        return;
    }
    if (dir != 0) {
        const long long tx = dir == 2 ? rx + magnitude : rx - magnitude;
        if (!InBand(app_, tx)) {
            reasons.push_back({csvtext::TxOutOfBand, MhzText(std::max(0LL, tx))});
            return;
        }
    }

    // A channel keeps its frequencies when they read the same. Groups 0..6 (unless frequencies
    // are editable) keep the band plan: a row with the RX frequency the channel holds is taken,
    // and so is a row of this program's export, which carries the band plan of the radio it was
    // read from; another frequency there is refused. A value on the step grids takes its grid's
    // step classes; one off them is stored as it is (the radio holds it), with a note.
    const bool same = existing && RxUnits(app_, *existing) == rx && existing->TxOffsetDir == dir &&
                      OffsetUnits(*existing) == magnitude;
    if (same) {
        r.RxFreq = existing->RxFreq;
        r.TxOffset = existing->TxOffset;
        r.TxOffsetDir = existing->TxOffsetDir;
        r.RxStepClass = existing->RxStepClass;
        r.TxStepClass = existing->TxStepClass;
        return;
    }
    if (!BandPlanAllows(d_, r.ChannelNo)) {
        const bool holds = existing && RxUnits(app_, *existing) == rx;
        if (!holds && !ownExport) {
            reasons.push_back({csvtext::FrequencyFixed, freqText});
            return;
        }
    }
    r.RxFreq = StorageForm(app_, FormatFixed5(static_cast<double>(rx) / 100000.0));
    // The stored offset keeps its bytes while its value reads the same (seven NULs stay NULs).
    if (OffsetUnits(r) != magnitude) {
        char buf[32];
        const long long m = std::min(magnitude, 9999999LL);
        std::snprintf(buf, sizeof buf, "%02lld%05lld", m / 100000, m % 100000);
        r.TxOffset = std::string(buf);
    }
    r.TxOffsetDir = dir;
    ChannelRecord snapped = r;
    SnapChannel(app_, snapped);
    const int group = GroupOfChannel(r.ChannelNo);
    const bool rxOnGrid = Units(SnapFrequency(app_, static_cast<double>(rx) / 100000.0, group)) == rx;
    const bool snapKeepsRx = snapped.RxFreq == r.RxFreq;
    const bool txOnGrid =
        dir == 0 || (snapped.TxOffsetDir == r.TxOffsetDir && OffsetUnits(snapped) == OffsetUnits(r));
    if (!rxOnGrid || (dir != 0 && !snapKeepsRx))
        notes.push_back({csvtext::NoteOffGrid, freqText});
    else if (!txOnGrid)
        notes.push_back({csvtext::NoteOffGrid, MhzText(dir == 2 ? rx + magnitude : rx - magnitude)});
    // A simplex channel is not snapped by the editor: an RX point that only group 6 allows
    // (x.xx125) stays where it is; every other one is on a grid and takes its step classes.
    if (snapKeepsRx && txOnGrid)
        r = snapped;
}

void RowChecker::tones(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons) {
    if (!row.has(cTone))
        return;
    const std::string mode = Lower(row[cTone]);
    std::string polarity = row[cDtcsPolarity];
    if (polarity.empty())
        polarity = "NN";
    const std::string pol = Lower(polarity);
    if (pol.size() != 2 || (pol[0] != 'n' && pol[0] != 'r') || (pol[1] != 'n' && pol[1] != 'r')) {
        if (mode == "dtcs" || mode == "cross") {
            reasons.push_back({csvtext::DcsUnknown, polarity});
            return;
        }
    }
    const bool txInv = pol.size() == 2 && pol[0] == 'r';
    const bool rxInv = pol.size() == 2 && pol[1] == 'r';

    auto ctcss = [&](Col c, int& index) {
        index = CtcssIndex(row[c]);
        if (index == 0)
            reasons.push_back({csvtext::CtcssUnknown, row[c]});
        return index != 0;
    };
    auto dcs = [&](Col c, bool inverted, int& index) {
        index = DcsIndex(row[c], inverted);
        if (index == 0)
            reasons.push_back({csvtext::DcsUnknown, row[c]});
        return index != 0;
    };
    int enc = 0;
    int dec = 0;
    if (mode.empty()) {
    } else if (mode == "tone") {
        ctcss(cRToneFreq, enc);
    } else if (mode == "tsql") {
        if (ctcss(cCToneFreq, enc))
            dec = enc;
    } else if (mode == "dtcs") {
        if (dcs(cDtcsCode, txInv, enc))
            dcs(cDtcsCode, rxInv, dec);
    } else if (mode == "cross") {
        const std::string cross = Lower(row[cCrossMode]);
        const auto arrow = cross.find("->");
        const std::string txPart = arrow == std::string::npos ? "?" : cross.substr(0, arrow);
        const std::string rxPart = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
        auto known = [](const std::string& s) { return s.empty() || s == "tone" || s == "dtcs"; };
        if (!known(txPart) || !known(rxPart) || (txPart.empty() && rxPart.empty())) {
            reasons.push_back({csvtext::ToneModeUnknown, row[cCrossMode]});
            return;
        }
        if (txPart == "tone")
            ctcss(cRToneFreq, enc);
        else if (txPart == "dtcs")
            dcs(cDtcsCode, txInv, enc);
        if (rxPart == "tone")
            ctcss(cCToneFreq, dec);
        else if (rxPart == "dtcs")
            dcs(cRxDtcsCode, rxInv, dec);
    } else {
        reasons.push_back({csvtext::ToneModeUnknown, row[cTone]});
        return;
    }
    r.EncodeTone = static_cast<i16>(enc);
    r.DecodeTone = static_cast<i16>(dec);
}

void RowChecker::comment(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons) {
    const std::string text = row[cComment];
    const auto at = text.find(kCommentMarker);
    if (at == std::string::npos)
        return;
    for (const CommentKey& k : kCommentKeys)
        r.*(k.field) = 0;
    std::string_view rest =
        std::string_view(text).substr(at + std::char_traits<char>::length(kCommentMarker));
    while (true) {
        rest = TrimAny(rest, " \t\r\n");
        if (rest.empty())
            break;
        const auto end = rest.find_first_of(" \t\r\n");
        const std::string_view token = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        const auto eq = token.find('=');
        const CommentKey* key = nullptr;
        if (eq != std::string_view::npos)
            for (const CommentKey& k : kCommentKeys)
                if (Lower(token.substr(0, eq)) == k.name)
                    key = &k;
        const std::string valueText = eq == std::string_view::npos ? "" : std::string(token.substr(eq + 1));
        const auto v = AllDigits(valueText) && valueText.size() <= 5
                           ? std::optional<int>(std::stoi(valueText))
                           : std::nullopt;
        // The shift of a receive-only channel is read with the frequencies.
        const int value = v.value_or(-1);
        if (!key && eq != std::string_view::npos && Lower(token.substr(0, eq)) == kOffsetDirKey &&
            value >= 0 && value <= 2)
            continue;
        if (!key || !v || *v > key->max) {
            reasons.push_back({csvtext::CommentInvalid, std::string(token)});
            continue;
        }
        r.*(key->field) = static_cast<i16>(*v);
    }
}

void RowChecker::power(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons,
                       std::vector<CsvIssue>& notes) {
    const std::string text = row[cPower];
    if (text.empty())
        return;
    const std::string t = Lower(text);
    int level = -1;
    if (t == "low" || t == "lo" || t == "l")
        level = 0;
    else if (t == "high" || t == "hi" || t == "h")
        level = 1;
    else if (const auto w = Watts(t)) {
        level = WattsLevel(*w);
        // The export's own figures need no note.
        if (t != Lower(LevelWatts(level)))
            notes.push_back({csvtext::NotePowerWatts, text + " -> " + LevelText(level)});
    }
    if (level < 0) {
        reasons.push_back({csvtext::PowerUnknown, text});
        return;
    }
    (r.Mode == 0 ? r.AmPower : r.FmPower) = static_cast<i16>(level);
}

bool RowChecker::check(const RowView& row, int channelNo, CsvTakenRow& taken,
                       std::vector<CsvIssue>& reasons) {
    const int slot = FindChannel(d_, channelNo);
    const ChannelRecord* existing = slot >= 0 ? &d_.channels[static_cast<std::size_t>(slot)] : nullptr;
    // A channel in use that is replaced starts from a new channel's values, unless the row comes
    // from this program's export (its comment then sets every hidden field) or the user chose to
    // update only the file's columns.
    const bool ownComment = row[cComment].find(kCommentMarker) != std::string::npos;
    const bool reset = existing && replace_ == CsvReplace::Reset && !ownComment;
    const ChannelRecord* base = reset ? nullptr : existing;
    ChannelRecord r = base ? *base : NewChannel(channelNo);
    r.IsBlank = 0;
    std::vector<CsvIssue> notes;

    frequencies(row, r, existing, base, ownComment, reasons, notes);
    tones(row, r, reasons);
    comment(row, r, reasons);

    // An empty Mode keeps the channel's mode; an empty Skip means scanned.
    if (row.has(cMode) && !row[cMode].empty())
        keyword(row, cMode, {{"am", 0, 0}, {"fm", 1, 0}, {"nfm", 1, csvtext::NoteNarrowFm}}, r.Mode,
                csvtext::ModeUnsupported, reasons, notes);
    if (row.has(cSkip))
        keyword(row, cSkip, {{"", 0, 0}, {"s", 1, 0}, {"p", 0, csvtext::NotePriorityScan}}, r.ScanSkip,
                csvtext::SkipUnknown, reasons, notes);
    power(row, r, reasons, notes);
    if (Lower(row[cDuplex]) == "off") {
        r.TxInhibit = 1;
        notes.push_back({csvtext::NoteTxInhibit, row[cDuplex]});
    }
    if (!reasons.empty())
        return false;
    if (existing)
        notes.insert(notes.begin(), {reset ? csvtext::NoteReset : csvtext::NoteUpdated, {}});
    taken.record = r;
    taken.replaces = existing != nullptr;
    taken.reset = reset;
    taken.notes = std::move(notes);
    return true;
}

// A channel number: nothing when the text is not a whole number; numbers too long to hold are
// out of range.
enum class NumberParse { Ok, NotNumber, OutOfRange };
NumberParse ChannelNumber(std::string_view text, int& no) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+'))
        text.remove_prefix(1);
    if (!AllDigits(text))
        return NumberParse::NotNumber;
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (negative || text.size() > 6)
        return NumberParse::OutOfRange;
    no = std::stoi(std::string(text));
    return no >= 1 && no <= kMaxChannels ? NumberParse::Ok : NumberParse::OutOfRange;
}

// A text from a file as a reason's detail: escaped, and cut after 64 characters.
std::string Detail(std::string_view text) {
    constexpr std::size_t kLimit = 64;
    if (text.size() <= kLimit)
        return std::string(text);
    std::size_t cut = kLimit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut; // not inside a UTF-8 sequence
    return std::string(text.substr(0, cut)) + "...";
}

// Reads a file's records one by one and plans each data row as it comes.
class Planner {
  public:
    Planner(const AppState& app, const DocumentCopy& d, const CsvImportOptions& options)
        : d_(d), options_(options), checker_(app, d, options.replace),
          next_(std::clamp(options.firstChannel, 1, kMaxChannels)) {}

    CsvImportPlan run(std::string_view bytes) {
        csv::Encoding encoding = csv::Encoding::Utf8;
        const std::optional<std::string> text = csv::DecodeText(bytes, encoding);
        CsvFileShape shape;
        shape.encoding = static_cast<int>(encoding);
        if (!text)
            return failed(csvtext::Utf16Cut, 0, shape);
        shape.separator = csv::DetectSeparator(*text);
        decimalComma_ = shape.separator != ',';
        const csv::ReadResult read =
            csv::ReadRecords(*text, shape.separator, [this](CsvRecord& rec) { onRecord(rec); });
        shape.commentLines = read.commentLines;
        if (read.quoteNotClosed)
            return failed(csvtext::QuoteNotClosed, read.quoteLine, shape);
        if (!headerSeen_)
            plan_.fileError = csvtext::FileUnreadable;
        if (plan_.fileError != 0)
            return failed(plan_.fileError, 0, shape);
        plan_.shape = shape;
        return std::move(plan_);
    }

  private:
    static CsvImportPlan failed(int error, int line, const CsvFileShape& shape) {
        CsvImportPlan plan;
        plan.fileError = error;
        plan.fileErrorLine = line;
        plan.shape = shape;
        return plan;
    }

    void onRecord(CsvRecord& rec) {
        if (plan_.fileError != 0)
            return;
        if (!headerSeen_) {
            header(rec);
            return;
        }
        const bool empty = std::all_of(rec.fields.begin(), rec.fields.end(),
                                       [](const std::string& f) { return Blanks(f).empty(); });
        if (empty)
            return;
        ++plan_.rowCount;
        const RowView row(map_, rec, decimalComma_);
        const std::string loc = row[cLocation];
        std::vector<CsvIssue> reasons;
        CsvTakenRow taken;
        taken.line = rec.line;
        taken.location = Detail(loc);
        if (options_.placement == CsvPlacement::FileOrder) {
            const int no = nextChannel();
            if (no == 0)
                reasons.push_back({csvtext::NoFreeChannel, {}});
            else if (checker_.check(row, no, taken, reasons)) {
                next_ = no + 1;
                plan_.taken.push_back(std::move(taken));
                return;
            }
        } else {
            int no = 0;
            switch (ChannelNumber(loc, no)) {
            case NumberParse::NotNumber:
                reasons.push_back({csvtext::LocationMissing, Detail(loc)});
                break;
            case NumberParse::OutOfRange:
                reasons.push_back({csvtext::LocationRange, Detail(loc)});
                break;
            case NumberParse::Ok:
                if (const int first = firstLine_[static_cast<std::size_t>(no)]; first != 0) {
                    reasons.push_back({csvtext::LocationRepeated, std::to_string(first)});
                    break;
                }
                firstLine_[static_cast<std::size_t>(no)] = rec.line;
                if (checker_.check(row, no, taken, reasons)) {
                    plan_.taken.push_back(std::move(taken));
                    return;
                }
                break;
            }
        }
        ++plan_.refusedCount;
        if (!reasons.empty() && options_.placement == CsvPlacement::FileNumbers)
            countPlaceCause(reasons.front().textId, loc);
        if (plan_.refused.size() < static_cast<std::size_t>(kCsvListedRefusals)) {
            for (CsvIssue& i : reasons)
                i.detail = Detail(i.detail);
            plan_.refused.push_back({rec.line, Detail(loc), std::move(reasons)});
        }
    }

    void countPlaceCause(int why, const std::string& loc) {
        CsvPlaceCauses& c = plan_.placeCauses;
        int no = 0;
        switch (why) {
        case csvtext::LocationMissing:
            c.notNumber.add(0);
            break;
        case csvtext::LocationRange:
            if (c.outside.rows == 0)
                c.outside.example = Detail(loc);
            c.outside.add(0);
            break;
        case csvtext::LocationRepeated:
            c.repeated.add(0);
            break;
        case csvtext::FrequencyFixed:
            ChannelNumber(loc, no);
            c.bandPlan.add(no);
            break;
        default:
            return;
        }
        ++plan_.refusedForPlace;
    }

    // Column order from the header row; names are compared without case and blanks.
    void header(const CsvRecord& rec) {
        headerSeen_ = true;
        const auto& names = CsvChannelColumns();
        for (std::size_t i = 0; i < rec.fields.size(); ++i)
            for (int c = 0; c < kColumnCount; ++c)
                if (map_[static_cast<std::size_t>(c)] < 0 &&
                    Lower(Blanks(rec.fields[i])) == Lower(names[static_cast<std::size_t>(c)]))
                    map_[static_cast<std::size_t>(c)] = static_cast<int>(i);
        // In file order the Location column is not needed.
        const bool needsLocation = options_.placement == CsvPlacement::FileNumbers;
        if ((needsLocation && map_[cLocation] < 0) || map_[cFrequency] < 0)
            plan_.fileError = csvtext::NoLocationOrFrequency;
    }

    // The next channel from next_ on that takes a frequency now and, unless channels in use are
    // replaced, is free; 0 when none is left.
    int nextChannel() {
        for (; next_ <= kMaxChannels; ++next_)
            if (CsvChannelTakesFrequency(d_, next_) &&
                (options_.replaceInUse || FindChannel(d_, next_) < 0) &&
                firstLine_[static_cast<std::size_t>(next_)] == 0)
                return next_;
        return 0;
    }

    const DocumentCopy& d_;
    CsvImportOptions options_;
    RowChecker checker_;
    CsvImportPlan plan_;
    bool headerSeen_ = false;
    bool decimalComma_ = false;
    std::vector<int> map_ = std::vector<int>(kColumnCount, -1);
    std::array<int, kMaxChannels + 1> firstLine_{}; // channel number -> line of the row put there
    int next_ = 1;
};

} // namespace

const std::vector<std::string>& CsvChannelColumns() {
    static const std::vector<std::string> names{
        "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",     "rToneFreq",
        "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",     "TStep",
        "Skip",      "Power",    "Comment",      "URCALL",     "RPT1CALL",  "RPT2CALL", "DVCODE"};
    return names;
}

std::string ExportChannelsCsv(const AppState& app, const DocumentCopy& d) {
    std::string out;
    WriteRow(out, CsvChannelColumns());
    std::vector<const ChannelRecord*> list;
    const int n = UsedSlots(d);
    for (int i = 0; i < n; ++i)
        list.push_back(&d.channels[static_cast<std::size_t>(i)]);
    std::stable_sort(list.begin(), list.end(), [](const ChannelRecord* a, const ChannelRecord* b) {
        return a->ChannelNo < b->ChannelNo;
    });
    for (const ChannelRecord* r : list)
        if (const auto rx = RxUnits(app, *r))
            WriteRow(out, ExportRow(*r, *rx));
    return out;
}

CsvImportPlan PlanCsvImport(const AppState& app, const DocumentCopy& d, std::string_view csv,
                            const CsvImportOptions& options) {
    return Planner(app, d, options).run(csv);
}

bool CsvChannelTakesFrequency(const DocumentCopy& d, int channelNo) {
    return channelNo >= 1 && channelNo < kVfoChannelNo && BandPlanAllows(d, channelNo);
}

int FirstFreeChannel(const DocumentCopy& d, int from) {
    for (int no = std::max(from, 1); no <= kMaxChannels; ++no)
        if (CsvChannelTakesFrequency(d, no) && FindChannel(d, no) < 0)
            return no;
    return 0;
}

CsvPlacementAdvice AdviseCsvPlacement(const AppState& app, const DocumentCopy& d, std::string_view csv) {
    CsvPlacementAdvice advice;
    const CsvImportPlan byNumber = PlanCsvImport(app, d, csv);
    if (byNumber.fileError != 0 || csv.find(kCommentMarker) != std::string_view::npos)
        return advice;
    // Rows whose own number does not fit: refused for their number (or for a band-plan channel),
    // or taken onto a band-plan channel that does not already hold their frequency; weighed
    // against the rows not refused for their content.
    advice.misplaced = byNumber.refusedForPlace;
    advice.causes = byNumber.placeCauses;
    advice.considered = byNumber.rowCount - (byNumber.refusedCount - byNumber.refusedForPlace);
    for (const CsvTakenRow& t : byNumber.taken) {
        const int no = t.record.ChannelNo;
        if (!GroupHasFixedFrequencies(GroupOfChannel(no)))
            continue;
        const int slot = FindChannel(d, no);
        if (slot < 0 || !(d.channels[static_cast<std::size_t>(slot)].RxFreq == t.record.RxFreq)) {
            ++advice.misplaced;
            advice.causes.bandPlan.add(no);
        }
    }
    const int first = FirstFreeChannel(d);
    if (advice.considered > 0 && advice.misplaced * 2 > advice.considered && first != 0) {
        advice.options.placement = CsvPlacement::FileOrder;
        advice.options.firstChannel = first;
        advice.reason = csvtext::AdviceFileOrder;
    }
    return advice;
}

namespace {

// The language text `id` with "%1", "%2", ... replaced by `values` in turn.
std::string FilledText(const AppState& app, int id, std::initializer_list<std::string> values) {
    std::string text = app.LangText(id);
    if (text.empty())
        text = "#" + std::to_string(id);
    int n = 0;
    for (const std::string& value : values) {
        const std::string mark = "%" + std::to_string(++n);
        if (const auto at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), value);
    }
    return text;
}

} // namespace

std::string CsvPlacementReasonText(const AppState& app, const CsvPlacementAdvice& advice) {
    if (advice.reason == 0)
        return {};
    // Only the causes that applied, each with the channels or numbers it concerns.
    std::string causes;
    auto add = [&](const std::string& text) { causes += (causes.empty() ? "" : "; ") + text; };
    const CsvPlaceCauses& c = advice.causes;
    if (c.bandPlan.rows > 0)
        add(c.bandPlan.low == c.bandPlan.high
                ? FilledText(app, csvtext::CauseBandPlanOne, {std::to_string(c.bandPlan.low)})
                : FilledText(app, csvtext::CauseBandPlan,
                             {std::to_string(c.bandPlan.low), std::to_string(c.bandPlan.high),
                              std::to_string(c.bandPlan.rows)}));
    if (c.outside.rows > 0)
        add(FilledText(app, csvtext::CauseOutside,
                       {std::to_string(c.outside.rows), ShownText(c.outside.example)}));
    if (c.repeated.rows > 0)
        add(FilledText(app, csvtext::CauseRepeated, {std::to_string(c.repeated.rows)}));
    if (c.notNumber.rows > 0)
        add(FilledText(app, csvtext::CauseNotNumber, {std::to_string(c.notNumber.rows)}));
    return FilledText(app, advice.reason,
                      {std::to_string(advice.misplaced), std::to_string(advice.considered),
                       CsvChannelPlace(app, advice.options.firstChannel), causes});
}

std::string CsvShapeText(const AppState& app, const CsvFileShape& shape) {
    const int separator = shape.separator == ';'    ? csvtext::SeparatorSemicolon
                          : shape.separator == '\t' ? csvtext::SeparatorTab
                                                    : csvtext::SeparatorComma;
    std::string text =
        FilledText(app, csvtext::ShapeRead,
                   {FilledText(app, csvtext::EncodingUtf8 + std::clamp(shape.encoding, 0, 3), {}),
                    FilledText(app, separator, {})});
    if (shape.commentLines > 0)
        text += " " + FilledText(app, csvtext::CommentLinesSkipped, {std::to_string(shape.commentLines)});
    return text;
}

std::string CsvOutcomeText(const AppState& app, const CsvImportPlan& plan, bool applied) {
    const int imported = applied ? static_cast<int>(plan.taken.size()) : 0;
    std::string text =
        FilledText(app, csvtext::Outcome, {std::to_string(imported), std::to_string(plan.refusedCount)});
    // The first few refused rows; the preview (or the lines above, in a terminal) lists them all.
    constexpr std::size_t kFirst = 3;
    std::string first;
    for (std::size_t i = 0; i < plan.refused.size() && i < kFirst; ++i) {
        const CsvRefusedRow& r = plan.refused[i];
        std::string reasons;
        for (const CsvIssue& issue : r.reasons)
            reasons += (reasons.empty() ? "" : ", ") + CsvIssueText(app, issue);
        first +=
            (first.empty() ? "" : "; ") +
            FilledText(app, csvtext::OutcomeLine, {std::to_string(r.line), ShownText(r.location), reasons});
    }
    if (!first.empty())
        text += "; " + FilledText(app, csvtext::OutcomeFirstRefused, {}) + " " + first;
    if (plan.refusedCount > static_cast<int>(std::min(plan.refused.size(), kFirst)))
        text += "; ...";
    return text;
}

std::string CsvPlacementText(const AppState& app, const CsvImportOptions& options) {
    if (options.placement == CsvPlacement::FileNumbers)
        return FilledText(app, csvtext::PlaceByNumber, {});
    return FilledText(app, options.replaceInUse ? csvtext::PlaceInOrderReplace : csvtext::PlaceInOrderFree,
                      {CsvChannelPlace(app, options.firstChannel)});
}

std::string CsvNothingTakenText(const AppState& app, const DocumentCopy& d, std::string_view csv,
                                const CsvImportOptions& options) {
    // File order from the first channel with channels in use replaced places every row whose
    // content the radio takes: when even that takes none, no placement does.
    CsvImportOptions widest = options;
    widest.placement = CsvPlacement::FileOrder;
    widest.firstChannel = 1;
    widest.replaceInUse = true;
    if (PlanCsvImport(app, d, csv, widest).taken.empty())
        return FilledText(app, csvtext::NothingFileEmpty, {});
    if (options.placement == CsvPlacement::FileNumbers)
        return FilledText(app, csvtext::NothingByNumber, {});
    return FilledText(app, csvtext::NothingInOrder, {CsvChannelPlace(app, options.firstChannel)});
}

std::string CsvImportedText(const AppState& app, const CsvImportPlan& plan) {
    if (plan.taken.empty())
        return {};
    const auto [low, high] = std::minmax_element(
        plan.taken.begin(), plan.taken.end(),
        [](const CsvTakenRow& a, const CsvTakenRow& b) { return a.record.ChannelNo < b.record.ChannelNo; });
    if (plan.taken.size() == 1)
        return FilledText(app, csvtext::ImportedOne, {CsvChannelPlace(app, low->record.ChannelNo)});
    return FilledText(app, csvtext::ImportedMany,
                      {std::to_string(plan.taken.size()), CsvChannelPlace(app, low->record.ChannelNo),
                       CsvChannelPlace(app, high->record.ChannelNo)});
}

std::string CsvChannelPlace(const AppState& app, int channelNo) {
    if (channelNo < 1 || channelNo > kMaxChannels)
        return std::to_string(channelNo);
    const int g = (channelNo - 1) / 40;
    return app.LangText(33053) + " " + std::to_string(g) + " " + app.LangText(33054) + " " +
           std::to_string(channelNo - GroupBase(g));
}

bool ApplyCsvImport(const CsvImportPlan& plan, DocumentCopy& d) {
    bool changed = false;
    for (const CsvTakenRow& row : plan.taken) {
        const int slot = FindChannel(d, row.record.ChannelNo);
        if (slot >= 0) {
            ChannelRecord& r = d.channels[static_cast<std::size_t>(slot)];
            changed = changed || !(r == row.record);
            r = row.record;
            continue;
        }
        const int n = UsedSlots(d);
        if (n >= kMaxChannels)
            continue;
        d.channels[static_cast<std::size_t>(n)] = row.record;
        d.settings.ChannelCount = static_cast<i16>(n + 1);
        changed = true;
    }
    return changed;
}

bool ExportChannelsCsvFile(const AppState& app, const DocumentCopy& d, const std::string& path,
                           FileError* error) {
    const std::string text = ExportChannelsCsv(app, d);
    return WriteFileReplacing(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

std::optional<std::string> ReadCsvFile(const std::string& path, FileError* error) {
    const auto bytes = ReadFileBytes(path, kCsvFileLimit + 1, error);
    if (!bytes)
        return std::nullopt;
    if (bytes->size() > kCsvFileLimit) {
        if (error)
            *error = {path, "larger than " + std::to_string(kCsvFileLimit / (1024 * 1024)) + " MB"};
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

CsvImportPlan PlanCsvImportFile(const AppState& app, const DocumentCopy& d, const std::string& path,
                                const CsvImportOptions& options) {
    const auto text = ReadCsvFile(path);
    if (!text) {
        CsvImportPlan plan;
        plan.fileError = csvtext::FileUnreadable;
        return plan;
    }
    return PlanCsvImport(app, d, *text, options);
}

std::string CsvIssueText(const AppState& app, const CsvIssue& issue) {
    std::string text = app.LangText(issue.textId);
    if (text.empty())
        text = "#" + std::to_string(issue.textId);
    if (!issue.detail.empty())
        text += " (" + ShownText(issue.detail) + ")";
    return text;
}

} // namespace zt

namespace zt {

std::string CsvFileErrorText(const AppState& app, const CsvImportPlan& plan, const std::string& fileName) {
    std::string text = CsvIssueText(app, {plan.fileError, fileName});
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, std::to_string(plan.fileErrorLine));
    return text;
}

} // namespace zt
