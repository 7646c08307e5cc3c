// CSV export and import of the channel table (column layout and rules in csv_channels.h). The
// file is read with libcsv (quoted fields, embedded separators and line breaks, CR/LF); this file
// maps the columns to and from channel records with the frequency and tone codecs.
#include "files/csv_channels.h"

#include "codec/freq.h"
#include "codec/numbers.h"
#include "codec/tone.h"
#include "files/file_io.h"
#include "model/channel_table.h"
#include "util/trim.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>

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
};

constexpr const char* kCommentMarker = "zt:";

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

// A non-negative MHz text that names a whole number of 10 Hz units.
enum class MhzParse { Ok, NotNumber, TooFine };
MhzParse ParseMhz(std::string_view text, long long& units) {
    const auto v = ParseNumber(text);
    if (!v || *v < 0)
        return MhzParse::NotNumber;
    units = Units(*v);
    return std::abs(*v * 100000.0 - static_cast<double>(units)) > 1e-3 ? MhzParse::TooFine : MhzParse::Ok;
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

std::vector<std::string> ExportRow(const ChannelRecord& r, long long rx) {
    std::vector<std::string> f(kColumnCount);
    f[cLocation] = std::to_string(r.ChannelNo);
    f[cFrequency] = MhzText(rx);
    f[cDuplex] = r.TxOffsetDir == 1 ? "-" : r.TxOffsetDir == 2 ? "+" : "";
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
    f[cPower] = LevelText(r.Mode == 0 ? r.AmPower : r.FmPower);

    std::string comment = kCommentMarker;
    const i16 ChannelRecord::*shownPower = r.Mode == 0 ? &ChannelRecord::AmPower : &ChannelRecord::FmPower;
    for (const CommentKey& k : kCommentKeys)
        if (k.field != shownPower && r.*(k.field) != 0)
            comment += std::string(" ") + k.name + "=" + std::to_string(r.*(k.field));
    f[cComment] = comment;
    return f;
}

// ---- Reading ------------------------------------------------------------------------------------

struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

struct ReaderState {
    std::vector<CsvRecord> records;
    CsvRecord current;
    int line = 1;
    int recordStart = 1;
    bool atRecordStart = true;
};

void OnField(void* data, std::size_t len, void* out) {
    auto* st = static_cast<ReaderState*>(out);
    st->current.fields.emplace_back(static_cast<const char*>(data), data ? len : 0);
}

void OnRecord(int, void* out) {
    auto* st = static_cast<ReaderState*>(out);
    st->current.line = st->recordStart;
    st->records.push_back(std::move(st->current));
    st->current = {};
    st->atRecordStart = true;
}

// Splits the text into records; false when the CSV reader gives up.
bool ReadRecords(std::string_view text, std::vector<CsvRecord>& out) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    csv_parser p;
    if (csv_init(&p, 0) != 0)
        return false;
    ReaderState st;
    bool ok = true;
    // Byte by byte, so that every record knows the line where it starts.
    for (char c : text) {
        if (st.atRecordStart && c != '\r' && c != '\n') {
            st.recordStart = st.line;
            st.atRecordStart = false;
        }
        if (csv_parse(&p, &c, 1, OnField, OnRecord, &st) != 1) {
            ok = false;
            break;
        }
        if (c == '\n')
            ++st.line;
    }
    if (ok && csv_fini(&p, OnField, OnRecord, &st) != 0)
        ok = false;
    csv_free(&p);
    out = std::move(st.records);
    return ok;
}

// One data row with the file's column order resolved.
class RowView {
  public:
    RowView(const std::vector<int>& map, const CsvRecord& rec) : map_(map), rec_(rec) {}
    bool has(Col c) const { return map_[c] >= 0; }
    std::string operator[](Col c) const {
        const int i = map_[c];
        if (i < 0 || i >= static_cast<int>(rec_.fields.size()))
            return {};
        return std::string(Blanks(rec_.fields[static_cast<std::size_t>(i)]));
    }

  private:
    const std::vector<int>& map_;
    const CsvRecord& rec_;
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

class RowChecker {
  public:
    RowChecker(const AppState& app, const DocumentCopy& d, std::set<double> watts)
        : app_(app), d_(d), watts_(std::move(watts)) {}

    // Fills `taken` or `refused`; the caller has checked the location.
    bool check(const RowView& row, int channelNo, CsvTakenRow& taken, std::vector<CsvIssue>& reasons);

  private:
    void frequencies(const RowView& row, ChannelRecord& r, const ChannelRecord* existing,
                     std::vector<CsvIssue>& reasons);
    void tones(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons);
    void comment(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons);
    void power(const RowView& row, ChannelRecord& r, std::vector<CsvIssue>& reasons,
               std::vector<CsvIssue>& notes);

    const AppState& app_;
    const DocumentCopy& d_;
    std::set<double> watts_;
};

void RowChecker::frequencies(const RowView& row, ChannelRecord& r, const ChannelRecord* existing,
                             std::vector<CsvIssue>& reasons) {
    const std::string freqText = row[cFrequency];
    long long rx = 0;
    switch (ParseMhz(freqText, rx)) {
    case MhzParse::NotNumber:
        reasons.push_back({csvtext::FrequencyMissing, freqText});
        return;
    case MhzParse::TooFine:
        reasons.push_back({csvtext::FrequencyTooFine, freqText});
        return;
    case MhzParse::Ok:
        break;
    }
    const int group = GroupOfChannel(r.ChannelNo);
    if (!InBand(app_, rx)) {
        reasons.push_back({csvtext::FrequencyOutOfBand, freqText});
        return;
    }
    if (Units(SnapFrequency(app_, static_cast<double>(rx) / 100000.0, group)) != rx) {
        reasons.push_back({csvtext::FrequencyOffGrid, freqText});
        return;
    }

    // TX: direction and offset magnitude.
    const std::string duplex = Lower(row[cDuplex]);
    const std::string offsetText = row[cOffset];
    long long magnitude = existing ? OffsetUnits(*existing) : 0;
    std::uint8_t dir = 0;
    long long given = 0;
    const bool hasOffset = !offsetText.empty();
    if (hasOffset && ParseMhz(offsetText, given) != MhzParse::Ok) {
        reasons.push_back({csvtext::OffsetInvalid, offsetText});
        return;
    }
    if (!row.has(cDuplex)) {
        // Without the column the channel keeps its TX side.
        dir = existing ? existing->TxOffsetDir : 0;
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

    // What the editor would do: a channel keeps its frequencies when they read the same; groups
    // 0..6 take none unless frequencies are editable; new values are snapped onto their grids,
    // and a value the snapping would move is refused rather than changed.
    const bool same = existing && RxUnits(app_, *existing) == rx && existing->TxOffsetDir == dir &&
                      OffsetUnits(*existing) == magnitude;
    if (same)
        return;
    if (!FrequencyEditable(group, d_.settings.Options.Features)) {
        reasons.push_back({csvtext::FrequencyFixed, freqText});
        return;
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
    if (dir == 0) {
        // A simplex channel is not snapped by the editor: an RX point that only group 6 allows
        // (x.xx125) stays where it is; every other one is on a grid and takes its step classes.
        if (snapped.RxFreq == r.RxFreq)
            r = snapped;
        return;
    }
    if (!(snapped.RxFreq == r.RxFreq)) {
        reasons.push_back({csvtext::FrequencyOffGrid, freqText});
        return;
    }
    if (snapped.TxOffsetDir != r.TxOffsetDir || OffsetUnits(snapped) != OffsetUnits(r)) {
        reasons.push_back({csvtext::TxOffGrid, MhzText(dir == 2 ? rx + magnitude : rx - magnitude)});
        return;
    }
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
        // Watts of another radio: the file's lowest value is this radio's low level, every higher
        // one its high level; a single value in the whole file is the high level.
        level = watts_.size() > 1 && *w <= *watts_.begin() ? 0 : 1;
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
    ChannelRecord r;
    if (existing) {
        r = *existing;
    } else {
        r.ChannelNo = static_cast<i16>(channelNo);
        r.TxOffset = std::string(7, '\0');
    }
    r.IsBlank = 0;
    std::vector<CsvIssue> notes;

    frequencies(row, r, existing, reasons);
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
    taken.record = r;
    taken.replaces = existing != nullptr;
    taken.notes = std::move(notes);
    return true;
}

// A whole channel number, or nothing.
std::optional<int> WholeNumber(const std::string& text) {
    if (!AllDigits(text) || text.size() > 6)
        return std::nullopt;
    return std::stoi(text);
}

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

CsvImportPlan PlanCsvImport(const AppState& app, const DocumentCopy& d, std::string_view csv) {
    CsvImportPlan plan;
    std::vector<CsvRecord> records;
    if (!ReadRecords(csv, records) || records.empty()) {
        plan.fileError = csvtext::FileUnreadable;
        return plan;
    }
    // Column order from the header row; names are compared without case and blanks.
    std::vector<int> map(kColumnCount, -1);
    const auto& names = CsvChannelColumns();
    const auto& header = records.front().fields;
    for (std::size_t i = 0; i < header.size(); ++i)
        for (int c = 0; c < kColumnCount; ++c)
            if (map[static_cast<std::size_t>(c)] < 0 &&
                Lower(Blanks(header[i])) == Lower(names[static_cast<std::size_t>(c)]))
                map[static_cast<std::size_t>(c)] = static_cast<int>(i);
    if (map[cLocation] < 0 || map[cFrequency] < 0) {
        plan.fileError = csvtext::NoLocationOrFrequency;
        return plan;
    }

    std::set<double> watts;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const std::string p = Lower(RowView(map, records[i])[cPower]);
        if (const auto w = Watts(p))
            watts.insert(*w);
    }
    RowChecker checker(app, d, watts);
    std::map<int, int> seen; // channel number -> line of its first row
    for (std::size_t i = 1; i < records.size(); ++i) {
        const RowView row(map, records[i]);
        const bool empty = std::all_of(records[i].fields.begin(), records[i].fields.end(),
                                       [](const std::string& f) { return Blanks(f).empty(); });
        if (empty)
            continue;
        const int line = records[i].line;
        const std::string loc = row[cLocation];
        std::vector<CsvIssue> reasons;
        const auto no = WholeNumber(loc);
        if (!no)
            reasons.push_back({csvtext::LocationMissing, loc});
        else if (*no < 1 || *no > kMaxChannels)
            reasons.push_back({csvtext::LocationRange, loc});
        else if (const auto it = seen.find(*no); it != seen.end())
            reasons.push_back({csvtext::LocationRepeated, std::to_string(it->second)});
        else {
            seen.emplace(*no, line);
            CsvTakenRow taken;
            taken.line = line;
            if (checker.check(row, *no, taken, reasons)) {
                plan.taken.push_back(std::move(taken));
                continue;
            }
        }
        plan.refused.push_back({line, loc, std::move(reasons)});
    }
    return plan;
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

bool ExportChannelsCsvFile(const AppState& app, const DocumentCopy& d, const std::string& path) {
    const std::string text = ExportChannelsCsv(app, d);
    return WriteFileReplacing(path,
                              std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

CsvImportPlan PlanCsvImportFile(const AppState& app, const DocumentCopy& d, const std::string& path) {
    constexpr std::size_t kLimit = 8u * 1024 * 1024;
    const auto bytes = ReadFileBytes(path, kLimit + 1);
    if (!bytes || bytes->size() > kLimit) {
        CsvImportPlan plan;
        plan.fileError = csvtext::FileUnreadable;
        return plan;
    }
    return PlanCsvImport(app, d,
                         std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::string CsvIssueText(const AppState& app, const CsvIssue& issue) {
    std::string text = app.LangText(issue.textId);
    if (text.empty())
        text = "#" + std::to_string(issue.textId);
    if (!issue.detail.empty())
        text += " (" + issue.detail + ")";
    return text;
}

} // namespace zt
