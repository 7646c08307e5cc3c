# SPDX-License-Identifier: GPL-3.0-or-later
"""Stored layouts of the data files, written out field by field, and the values a new document holds.

The settings file (.dat) is one 1664-byte settings record; the channel file (.fre) is a run of
92-byte channel records. Everything is little-endian and packed; numbers are 16-bit signed unless
marked otherwise; texts are fixed-width byte strings (kept as bytes here, so a NUL and a blank stay
apart). `read_settings` and `read_channel` give a flat dict {field path: value}; `new_settings` and
`new_channel` give the same shape for a new document, where a value may also be a `OneOf` when more
than one stored form is acceptable.
"""

import struct

SETTINGS_SIZE = 1664
CHANNEL_SIZE = 92
MAX_CHANNELS = 481

# Field kinds: "h" 16-bit signed, "B" 8-bit unsigned, ("s", n) text of n bytes.
I16 = "h"
U8 = "B"


def text(n):
    return ("s", n)


def width(kind):
    return kind[1] if isinstance(kind, tuple) else struct.calcsize("<" + kind)


# The channel record, in stored order; the offsets are checked against the widths below.
CHANNEL_FIELDS = [
    (0, "ChannelNo", I16),
    (2, "IsBlank", I16),
    (4, "ScanSkip", I16),
    (6, "RxFreq", text(8)),
    (14, "DecodeTone", I16),
    (16, "EncodeTone", I16),
    (18, "FmPower", I16),
    (20, "FmPowerLock", I16),
    (22, "AmPower", I16),
    (24, "AmPowerLock", I16),
    (26, "Mode", I16),
    (28, "ModeLock", I16),
    (30, "RxExpander", I16),
    (32, "TxCompressor", I16),
    (34, "NbAnl", I16),
    (36, "Att", I16),
    (38, "HiCut", I16),
    (40, "BusyLock", I16),
    (42, "RogerBeep", I16),
    (44, "SquelchMode", I16),
    (46, "PttIdBot", I16),
    (48, "PttIdEot", I16),
    (50, "CallCode", I16),
    (52, "TxOffsetDir", U8),
    (53, "TxOffset", text(7)),
    (60, "RxStepClass", I16),
    (62, "TxStepClass", I16),
    (64, "TxInhibit", I16),
    (66, "ScrambleTalkaround", I16),
    (68, "VoiceEncrypt", I16),
    (70, "Talkaround", I16),
    (72, "SignalRelation", I16),
    (74, "Whisper", I16),
    (76, "PttIdMode", I16),
    (78, "Spacing", I16),
    (80, "OptSignal", I16),
    (82, "Compander", I16),
    (84, "Scrambler", I16),
    (86, "Rep", I16),
    (88, "Tsq", I16),
    (90, "RepLock", I16),
]

FEATURE_SLOTS_HEAD = ["TotTime", "ChannelGroup", "DisplayMode", "BacklightColor", "ScanMode",
                      "ScanResumeTime", "Beep", "PublicData", "PttIdPauseTime"]
FEATURE_SLOTS_TAIL = ["SquelchLevel", "VoicePrompt", "VoiceVolume", "TailElimMode", "BatterySave", "Vox",
                      "VoxTone", "ChannelLock", "GroupSelect", "TotPreAlert", "WiredClone", "TailElimNoSig",
                      "FreqEditable", "TotRekeyTime", "TotResetTime", "VoxLevel", "VoxDelay"]
DTMF_HEAD = ["DtmfRate", "FirstDigitTime", "FirstDigitDelay", "StarHashTime", "DKeySetting", "SideTone"]
DTMF_CODES = ["BotCode", "EotCode", "StunCode", "KillCode"]


def _settings_fields():
    """(offset, path, kind) of every settings field, built by walking the record in stored order.
    The anchors are the absolute offsets at which each block starts."""
    out = []
    pos = 0

    def at(anchor):
        assert pos == anchor, "layout walk at %d, block expected at %d" % (pos, anchor)

    def add(path, kind):
        nonlocal pos
        out.append((pos, path, kind))
        pos += width(kind)

    add("Version", text(4))
    add("ChannelCount", I16)
    at(6)
    for i in range(20):
        add("BroadcastFreqs[%d].IsBlank" % i, I16)
        add("BroadcastFreqs[%d].Freq" % i, text(8))
    at(206)
    for i in range(11):
        add("TestFreqs[%d].RxFreq" % i, text(8))
        add("TestFreqs[%d].TxFreq" % i, text(8))
    at(382)
    add("ModelInfo.ModelName", text(7))
    add("ModelInfo.BandCode", I16)
    at(391)
    for name in FEATURE_SLOTS_HEAD:
        add("Features." + name, I16)
    at(391 + 18)
    for i in range(24):
        add("Features.GroupChan[%d]" % i, I16)
    at(391 + 66)
    for i in range(24):
        add("Features.GroupFlag[%d]" % i, I16)
    at(391 + 114)
    for i in range(6):
        add("Features.ResetMode[%d]" % i, I16)
    at(391 + 126)
    for off, name, kind in CHANNEL_FIELDS:
        at(391 + 126 + off)
        add("Features.VfoChannel." + name, kind)
    at(391 + 218)
    add("Features.PowerOnText", text(16))
    at(391 + 234)
    for name in FEATURE_SLOTS_TAIL:
        add("Features." + name, I16)
    at(659)
    for name in DTMF_HEAD:
        add("Dtmf." + name, I16)
    for i in range(3):
        add("Dtmf.DtmfOpt[%d]" % i, I16)
    at(659 + 18)
    add("Dtmf.IdCode", text(10))
    add("Dtmf.IdCodeLen", I16)
    at(659 + 30)
    entries = DTMF_CODES + ["CodeList[%d]" % k for k in range(1, 17)]
    for name in entries:
        add("Dtmf.%s.Len" % name, I16)
        add("Dtmf.%s.Code" % name, text(16))
    at(1049)
    for i in range(4):
        add("EmbeddedMessage[%d]" % i, text(16))
    at(1113)
    for i in range(6):
        add("KeyBlock[%d]" % i, I16)
    at(1125)
    for i in range(11):
        add("AlertBlock[%d]" % i, U8)
    at(1136)
    for i in range(12):
        add("ScanBlock[%d]" % i, U8)
    at(1148)
    for e in range(1, 9):
        for k in range(1, 15):
            add("ToneTips[%d].Step[%d].Tone" % (e, k), I16)
            add("ToneTips[%d].Step[%d].Length" % (e, k), I16)
        add("ToneTips[%d].Repeat" % e, I16)
        add("ToneTips[%d].Interval" % e, I16)
    at(1628)
    for g in range(12):
        add("GroupNames[%d]" % g, text(3))
    at(SETTINGS_SIZE)
    return out


def _check_channel_fields():
    pos = 0
    for off, name, kind in CHANNEL_FIELDS:
        assert off == pos, "channel field %s at %d, expected %d" % (name, off, pos)
        pos += width(kind)
    assert pos == CHANNEL_SIZE


_check_channel_fields()
SETTINGS_FIELDS = _settings_fields()


def _decode(data, fields):
    values = {}
    for off, path, kind in fields:
        if isinstance(kind, tuple):
            values[path] = bytes(data[off:off + kind[1]])
        else:
            values[path] = struct.unpack_from("<" + kind, data, off)[0]
    return values


def read_settings(data):
    if len(data) != SETTINGS_SIZE:
        raise ValueError("a settings file holds %d bytes, not %d" % (SETTINGS_SIZE, len(data)))
    return _decode(data, SETTINGS_FIELDS)


def read_channel(data):
    if len(data) != CHANNEL_SIZE:
        raise ValueError("a channel record holds %d bytes, not %d" % (CHANNEL_SIZE, len(data)))
    return _decode(data, CHANNEL_FIELDS)


def read_pair(dat_bytes, fre_bytes):
    """The settings and the channel records of a file pair: ChannelCount records from the channel
    file (bytes after them are ignored)."""
    settings = read_settings(dat_bytes)
    count = settings["ChannelCount"]
    if not 0 <= count <= MAX_CHANNELS:
        raise ValueError("ChannelCount %d outside 0..%d" % (count, MAX_CHANNELS))
    if len(fre_bytes) < count * CHANNEL_SIZE:
        raise ValueError("channel file of %d bytes is short of %d records" % (len(fre_bytes), count))
    channels = [read_channel(fre_bytes[i * CHANNEL_SIZE:(i + 1) * CHANNEL_SIZE]) for i in range(count)]
    return settings, channels


def _encode(size, fields, values):
    data = bytearray(size)
    for off, path, kind in fields:
        v = values[path]
        if isinstance(kind, tuple):
            if len(v) != kind[1]:
                raise ValueError("%s takes %d bytes, not %d" % (path, kind[1], len(v)))
            data[off:off + kind[1]] = v
        else:
            struct.pack_into("<" + kind, data, off, v)
    return bytes(data)


def write_settings(values):
    return _encode(SETTINGS_SIZE, SETTINGS_FIELDS, values)


def write_channel(values):
    return _encode(CHANNEL_SIZE, CHANNEL_FIELDS, values)


def pair_paths(dat_path):
    """The channel file pairs with the settings file by replacing the last three characters."""
    return dat_path, dat_path[:-3] + "fre"


# ---------------------------------------------------------------------------------------------
# New-document values


class OneOf:
    """An expected value where more than one stored form is right."""

    def __init__(self, *choices):
        self.choices = choices

    def __eq__(self, other):
        return other in self.choices

    def __repr__(self):
        return "one of " + " | ".join(repr(c) for c in self.choices)


def blank(n):
    return b" " * n


def nul_text(n):
    """A text that starts with a NUL and is blank after it."""
    return b"\x00" + b" " * (n - 1)


def fixed(s, n):
    """A text stored n wide: padded with blanks on the right, cut on the right."""
    b = s.encode("ascii")
    return (b + b" " * n)[:n]


BAND_LOW, BAND_HIGH = 25.615, 30.105
NEW_CHANNEL_FREQ = b"02786000"  # the band's midpoint, (25.615 + 30.105) / 2 = 27.86 MHz
NEW_CHANNELS = (1, 481)

GROUP_NAMES = ["E", "D", "EU", "EC", "PL", "U-EU", "U-UK", "A", "B", "C", "D", "E"]

TONE_TIPS = {
    1: (1, 0, [(210, 10), (0, 10)] * 3 + [(210, 10)]),
    2: (1, 0, [(80, 4), (0, 4)] * 7),
    3: (1, 0, [(170, 3), (90, 3)] * 3 + [(170, 3)]),
    4: (1, 0, [(64, 6), (94, 6), (134, 6), (163, 6), (192, 6)]),
    5: (1, 0, [(150, 20), (70, 20)] * 3),
    6: (0, 0, []),
    7: (0, 0, []),
    8: (0, 0, []),
}


def new_channel(number):
    """A channel as a new document appends it: its number, the frequency, an offset of seven
    NUL characters, and every other field 0."""
    values = {}
    for _, name, kind in CHANNEL_FIELDS:
        values[name] = 0 if not isinstance(kind, tuple) else None
    values["ChannelNo"] = number
    values["RxFreq"] = NEW_CHANNEL_FREQ
    values["TxOffset"] = b"\x00" * 7
    return values


# The VFO record's fields that a new document sets to 0; its other fields keep what they held.
# In a fresh document that is nothing set: numbers 0 and texts that were never given a value, which
# may be stored as blanks or as NULs.
VFO_SET_FIELDS = ["DecodeTone", "EncodeTone", "RxExpander", "TxCompressor", "NbAnl", "Att", "HiCut",
                  "BusyLock", "RogerBeep", "SquelchMode", "PttIdBot", "PttIdEot", "CallCode", "Rep", "Tsq",
                  "RepLock"]


def new_settings(channel_count=len(NEW_CHANNELS)):
    values = {path: 0 for _, path, kind in SETTINGS_FIELDS if not isinstance(kind, tuple)}
    values["Version"] = b"V300"
    values["ChannelCount"] = channel_count
    for i in range(20):
        values["BroadcastFreqs[%d].IsBlank" % i] = 1
        values["BroadcastFreqs[%d].Freq" % i] = blank(8)
    values["TestFreqs[0].RxFreq"] = values["TestFreqs[0].TxFreq"] = b"43510000"
    for i in range(1, 11):
        values["TestFreqs[%d].RxFreq" % i] = values["TestFreqs[%d].TxFreq" % i] = nul_text(8)
    values["ModelInfo.ModelName"] = fixed("ZT-450E", 7)
    values["ModelInfo.BandCode"] = 0
    values["KeyBlock[0]"] = values["KeyBlock[1]"] = 10
    values["AlertBlock[0]"] = 1
    for i in range(4):
        values["EmbeddedMessage[%d]" % i] = nul_text(16)
    for g, name in enumerate(GROUP_NAMES):
        values["GroupNames[%d]" % g] = fixed(name, 3)

    f = "Features."
    for name, v in [("TotTime", 4), ("ChannelGroup", 3), ("DisplayMode", 1), ("BacklightColor", 1),
                    ("Beep", 1), ("VoicePrompt", 1), ("TailElimMode", 3)]:
        values[f + name] = v
    values[f + "GroupChan[2]"] = 6
    values[f + "ResetMode[4]"] = 9
    values[f + "PowerOnText"] = b" " * 8 + b"rv2180" + b" " + b"\x00"
    for _, name, kind in CHANNEL_FIELDS:
        if isinstance(kind, tuple):
            values[f + "VfoChannel." + name] = OneOf(blank(kind[1]), b"\x00" * kind[1])

    values["Dtmf.IdCode"] = fixed("000", 10)
    values["Dtmf.IdCodeLen"] = 3
    for name in DTMF_CODES + ["CodeList[%d]" % k for k in range(1, 17)]:
        values["Dtmf.%s.Len" % name] = 0
        values["Dtmf.%s.Code" % name] = blank(16)

    for e, (repeat, interval, steps) in TONE_TIPS.items():
        values["ToneTips[%d].Repeat" % e] = repeat
        values["ToneTips[%d].Interval" % e] = interval
        for k, (tone, length) in enumerate(steps, start=1):
            values["ToneTips[%d].Step[%d].Tone" % (e, k)] = tone
            values["ToneTips[%d].Step[%d].Length" % (e, k)] = length

    missing = [path for _, path, _ in SETTINGS_FIELDS if path not in values]
    assert not missing, "no new-document value for " + ", ".join(missing)
    return values


def differences(actual, expected):
    """[(field, actual, expected)] of every field whose value differs, in stored order."""
    return [(k, actual.get(k), v) for k, v in expected.items() if not v == actual.get(k)]
