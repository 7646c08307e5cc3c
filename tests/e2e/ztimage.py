# SPDX-License-Identifier: GPL-3.0-or-later
"""A second, independent codec of the radio's 9280-byte memory image and a reader and writer of the
data file pair (settings file of 1664 bytes, channel file of 92-byte records), written from the memory
map alone so that the program's own codec can be checked against it. Standard library only."""

import struct

IMAGE_SIZE = 0x2440
CHANNELS = 481
SLOT_BASE = 0x0010
SCAN_MAP = 0x20A0
USED_MAP = 0x20F0
BITMAP_LEN = 66
GROUP_NAMES = 0x2140
OPTIONS = 0x2170
VFO = 0x2190
EMBEDDED = 0x21A0
POWER_ON = 0x21E0
IDENT = 0x21F0
CODE_LIST = 0x2200
TONE_TIPS = 0x2300
RESET_MODE = 0x2400
GROUP_CHAN = 0x2408
GROUP_FLAG = 0x2420

SETTINGS_SIZE = 1664
CHANNEL_SIZE = 92

CTCSS = [670, 693, 719, 744, 770, 797, 825, 854, 885, 915, 948, 974, 1000, 1035, 1072, 1109, 1148,
         1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738,
         1773, 1799, 1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336,
         2418, 2503, 2541]
# DCS codes of the channel tone table (107) and of the VFO tone list (116), as octal digit texts.
DCS_CHANNEL = [int(c, 8) for c in """
017 023 025 026 031 032 036 043 047 050 051 053 054 065 071 072 073 074 114 115 116 122 125 131 132
134 143 145 152 155 156 162 165 172 174 205 212 223 225 226 243 244 245 246 251 252 255 261 263 265
266 271 274 306 311 315 325 331 332 343 346 351 356 364 365 371 411 412 413 423 431 432 445 446 452
454 455 462 464 465 466 503 506 516 523 526 532 546 565 606 612 624 627 631 632 645 654 662 664 703
712 723 731 732 734 743 754""".split()]
DCS_VFO = [int(c, 8) for c in """
017 023 025 026 031 032 036 043 047 050 051 053 054 055 065 071 072 073 074 114 115 116 122 125 131
132 134 135 143 145 152 155 156 162 165 172 174 205 212 217 223 225 226 243 244 245 246 251 252 254
255 261 263 265 266 271 274 305 306 311 315 325 331 332 343 345 346 351 356 364 365 371 411 412 413
423 425 431 432 445 446 452 454 455 462 464 465 466 503 506 516 523 526 532 534 546 565 606 612 624
627 631 632 645 654 662 664 703 712 723 731 732 734 743 754 765""".split()]
assert len(CTCSS) == 50 and len(DCS_CHANNEL) == 107 and len(DCS_VFO) == 116


def tone_code(index, dcs):
    """Tone index -> 16-bit radio code, for the table whose DCS part is `dcs`."""
    n = len(dcs)
    if index < 0:
        return 0
    if index == 0:
        return 0xFFFF
    if index <= 50:
        return CTCSS[index - 1]
    if index <= 50 + n:
        return 0xD000 + dcs[index - 51]
    if index <= 50 + 2 * n:
        return 0x8000 + dcs[index - 51 - n]
    return 0x8000


def code_tone(code, dcs):
    kind, value = code >> 12, code & 0x0FFF
    table, base = {0x0: (CTCSS, 1), 0xD: (dcs, 51), 0x8: (dcs, 51 + len(dcs))}.get(kind, (None, 0))
    if table is None or value not in table:
        return 0
    return base + table.index(value)


# --- fixed-width texts (bytes) -------------------------------------------------------------------

def fixed(text, width):
    """Left-aligned, blank-padded, cut to `width`."""
    return bytes(text[:width]).ljust(width, b" ")


def trim(text):
    """Cut at the first NUL, trailing blanks removed."""
    return bytes(text).split(b"\x00", 1)[0].rstrip(b" ")


def decode_text(raw, stops):
    """The bytes up to the field's end or the first stop byte, and whether a stop byte ended them."""
    taken = bytearray()
    stopped = False
    for b in raw:
        if b in stops:
            stopped = True
            break
        taken.append(b)
    return bytes(taken), stopped


def encode_text(value, width, fill):
    t = trim(value)[:width]
    return t + bytes([fill]) * (width - len(t))


# --- channel and settings fields carried by the radio -------------------------------------------

SLOT_FIELDS = ["RxFreq", "FmPower", "FmPowerLock", "AmPower", "AmPowerLock", "Mode", "ModeLock",
               "DecodeTone", "EncodeTone", "RxExpander", "TxCompressor", "NbAnl", "Att", "HiCut",
               "Tsq", "BusyLock", "RogerBeep", "SquelchMode", "PttIdBot", "RepLock", "Rep", "PttIdEot",
               "CallCode"]
CHANNEL_FIELDS = ["ChannelNo", "IsBlank", "ScanSkip"] + SLOT_FIELDS
VFO_FIELDS = SLOT_FIELDS[7:]
OPTION_BYTES = ["TotTime", "SideTone", "ChannelGroup", "DisplayMode", "BacklightColor", "ScanMode",
                "ScanResumeTime", "Beep", "PublicData", "DtmfRate", "FirstDigitDelay",
                "FirstDigitTime", "StarHashTime", "DKeySetting", "PttIdPauseTime", "FreqEditable"]
BYTE5 = [("FmPower", 0), ("FmPowerLock", 1), ("AmPower", 3), ("AmPowerLock", 4), ("Mode", 5),
         ("ModeLock", 6)]
BYTE10 = [("RxExpander", 0), ("TxCompressor", 1), ("NbAnl", 2), ("Att", 3), ("HiCut", 4), ("Tsq", 5)]


def decode_freq(lo, hi):
    digits = str(lo + 256 * hi)
    if digits[-1] in "12":
        return fixed(("0" + digits[:4] + "125").encode(), 8)
    return fixed(("0" + digits + "00").encode(), 8)


def encode_freq(text):
    t = trim(text).decode("latin-1")
    if len(t) % 2:
        t += "0"
    v = int(t.rjust(6, "0")[:6] or "0")
    if v % 10 == 1:
        v += 1
    return bytes([v & 0xFF, (v >> 8) & 0xFF])


def decode_signal(b, dcs):
    """Bytes 6..14 of a slot (tones, switches, codes) -> fields."""
    r = {"DecodeTone": code_tone(b[0] << 8 | b[1], dcs), "EncodeTone": code_tone(b[2] << 8 | b[3], dcs)}
    for name, bit in BYTE10:
        r[name] = b[4] >> bit & 1
    r["BusyLock"] = b[4] >> 6
    r["RogerBeep"], r["SquelchMode"] = b[5] & 0x0F, b[5] >> 4
    r["PttIdBot"], r["RepLock"], r["Rep"] = b[6] & 0x1F, b[6] >> 5 & 1, b[6] >> 6
    r["PttIdEot"], r["CallCode"] = b[7], b[8]
    return r


def encode_signal(c, dcs):
    out = bytearray()
    for name in ("DecodeTone", "EncodeTone"):
        code = tone_code(c[name], dcs)
        out += bytes([code >> 8 & 0xFF, code & 0xFF])
    b10 = sum((c[name] & 1) << bit for name, bit in BYTE10) | (c["BusyLock"] & 3) << 6
    out.append(b10)
    out.append((c["RogerBeep"] & 0x0F) | (c["SquelchMode"] & 0x0F) << 4)
    out.append((c["PttIdBot"] & 0x1F) | (c["RepLock"] & 1) << 5 | (c["Rep"] & 3) << 6)
    out += bytes([c["PttIdEot"] & 0xFF, c["CallCode"] & 0xFF])
    return bytes(out)


def decode_dtmf(raw):
    digits = ""
    for b in raw:
        if b >= 0x10:
            break
        digits += "%X" % b
    code = digits.replace("E", "*").replace("F", "#").encode()
    return {"Len": len(code), "Code": fixed(code, 16)}


def encode_dtmf(entry):
    t = trim(entry["Code"]).decode("latin-1").replace("*", "E").replace("#", "F")
    n = entry["Len"]
    if n > 16:
        n = 0
    t = t.ljust(n, "0")
    return bytes(int(t[i], 16) if i < n else 0xFF for i in range(16))


def chan_ref(b):
    return 0 if b == 0xFF else b + 1


def ref_byte(n):
    return 0xFF if n == 0 else (n - 1) & 0xFF


def decode_image(img):
    """The records the image decodes to: (list of channel dicts, settings dict)."""
    assert len(img) == IMAGE_SIZE
    channels = []
    for s in range(CHANNELS):
        used = img[USED_MAP + s // 8] >> (s % 8) & 1
        if not used and s != CHANNELS - 1:
            continue
        n = s + 1
        slot = img[n * 16:n * 16 + 16]
        c = {"ChannelNo": n, "IsBlank": 0, "ScanSkip": 0 if img[SCAN_MAP + s // 8] >> (s % 8) & 1 else 1,
             "RxFreq": decode_freq(slot[0], slot[1])}
        for name, bit in BYTE5:
            c[name] = slot[5] >> bit & 1
        c.update(decode_signal(slot[6:15], DCS_CHANNEL))
        channels.append(c)

    st = {}
    for i, name in enumerate(OPTION_BYTES):
        st[name] = img[OPTIONS + i] * 15 if name == "TotTime" else img[OPTIONS + i]
    st["GroupChan"] = [chan_ref(img[GROUP_CHAN + g + 12 * k]) for g in range(12) for k in (0, 1)]
    st["GroupFlag"] = [int(img[GROUP_FLAG + g + 12 * k] != 0) for g in range(12) for k in (0, 1)]
    st["ResetMode"] = [chan_ref(img[RESET_MODE + j]) if j % 2 else img[RESET_MODE + j] for j in range(6)]
    st["Vfo"] = decode_signal(img[VFO:VFO + 9], DCS_VFO)

    t, _ = decode_text(img[POWER_ON:POWER_ON + 16], b"\x00\xff")
    st["PowerOnText"] = fixed(t + b"\x00" if len(t) <= 15 else t, 16)
    st["CodeList"] = [decode_dtmf(img[CODE_LIST + 16 * k:CODE_LIST + 16 * k + 16]) for k in range(16)]
    st["EmbeddedMessage"] = []
    for k in range(4):
        t, _ = decode_text(img[EMBEDDED + 16 * k:EMBEDDED + 16 * k + 16], b"\xff")
        t = trim(t)
        st["EmbeddedMessage"].append(fixed(t + b"\x00" if len(t) <= 15 else t, 16))
    st["GroupNames"] = []
    for g in range(12):
        t, stopped = decode_text(img[GROUP_NAMES + 3 * g:GROUP_NAMES + 3 * g + 3], b"\x00\xff")
        st["GroupNames"].append(fixed(t + b"\x00" if stopped else t, 3))
    tips = []
    for i in range(8):
        e = img[TONE_TIPS + 30 * i:TONE_TIPS + 30 * i + 30]
        vals = [0] * 30
        for k in range(14):
            vals[2 * k], vals[2 * k + 1] = e[k], e[14 + k]
        vals[28], vals[29] = e[28], e[29]
        tips += vals
    st["ToneTips"] = tips

    model, _ = decode_text(img[IDENT:IDENT + 6], b"\x00\xff")
    code = img[IDENT + 6]
    if model == b"ZR2450" and code == 2:
        st["ModelName"], st["BandCode"] = fixed(b"ZT-450E", 7), 0
    else:
        st["ModelName"], st["BandCode"] = fixed(model + b"\x00", 7), code
    return channels, st


def encode_image(channels, st):
    """The image the program sends for these records (model name already in `st`)."""
    img = bytearray(b"\xff" * IMAGE_SIZE)
    img[SCAN_MAP:SCAN_MAP + BITMAP_LEN] = bytes(BITMAP_LEN)
    img[USED_MAP:USED_MAP + BITMAP_LEN] = bytes(BITMAP_LEN)
    for c in channels:
        n = c["ChannelNo"]
        blank = trim(c["RxFreq"]) in (b"", b"FFFFFFFF")
        if n > 0 and not blank:
            img[USED_MAP + (n - 1) // 8] |= 1 << ((n - 1) % 8)
            if c["ScanSkip"] == 0:
                img[SCAN_MAP + (n - 1) // 8] |= 1 << ((n - 1) % 8)
        slot = n * 16
        if trim(c["RxFreq"]) != b"FFFFFFFF":
            img[slot:slot + 2] = encode_freq(c["RxFreq"])
        img[slot + 5] = sum((c[name] & 1) << bit for name, bit in BYTE5)
        img[slot + 6:slot + 15] = encode_signal(c, DCS_CHANNEL)

    if trim(st["ModelName"]) == b"ZT-450E":
        ident, code = b"ZR2450", 2
    else:
        ident, code = trim(st["ModelName"]), st["BandCode"]
    img[IDENT:IDENT + 6] = encode_text(ident, 6, 0x00)
    img[IDENT + 6] = code & 0xFF
    img[IDENT + 8:IDENT + 12] = b"V300"

    for i, name in enumerate(OPTION_BYTES):
        v = st[name] // 15 if name == "TotTime" else st[name]
        img[OPTIONS + i] = v & 0xFF
    for g in range(12):
        for k in (0, 1):
            img[GROUP_CHAN + g + 12 * k] = ref_byte(st["GroupChan"][2 * g + k])
            img[GROUP_FLAG + g + 12 * k] = st["GroupFlag"][2 * g + k] & 0xFF
    for j in range(6):
        img[RESET_MODE + j] = ref_byte(st["ResetMode"][j]) if j % 2 else st["ResetMode"][j] & 0xFF
    img[POWER_ON:POWER_ON + 16] = encode_text(st["PowerOnText"], 16, 0x00)
    img[VFO:VFO + 9] = encode_signal(st["Vfo"], DCS_VFO)
    for k in range(16):
        img[CODE_LIST + 16 * k:CODE_LIST + 16 * k + 16] = encode_dtmf(st["CodeList"][k])
    for k in range(4):
        img[EMBEDDED + 16 * k:EMBEDDED + 16 * k + 16] = encode_text(st["EmbeddedMessage"][k], 16, 0x00)
    for g in range(12):
        img[GROUP_NAMES + 3 * g:GROUP_NAMES + 3 * g + 3] = encode_text(st["GroupNames"][g], 3, 0x20)
    for i in range(8):
        vals = st["ToneTips"][30 * i:30 * i + 30]
        e = bytearray(30)
        for k in range(14):
            e[k], e[14 + k] = vals[2 * k] & 0xFF, vals[2 * k + 1] & 0xFF
        e[28], e[29] = vals[28] & 0xFF, vals[29] & 0xFF
        img[TONE_TIPS + 30 * i:TONE_TIPS + 30 * i + 30] = e
    return bytes(img)


# --- the data file pair --------------------------------------------------------------------------

# Channel record: (field, offset, kind) with kind "h" = signed 16-bit, "B" = byte, int = text width.
CHANNEL_LAYOUT = [
    ("ChannelNo", 0, "h"), ("IsBlank", 2, "h"), ("ScanSkip", 4, "h"), ("RxFreq", 6, 8),
    ("DecodeTone", 14, "h"), ("EncodeTone", 16, "h"), ("FmPower", 18, "h"), ("FmPowerLock", 20, "h"),
    ("AmPower", 22, "h"), ("AmPowerLock", 24, "h"), ("Mode", 26, "h"), ("ModeLock", 28, "h"),
    ("RxExpander", 30, "h"), ("TxCompressor", 32, "h"), ("NbAnl", 34, "h"), ("Att", 36, "h"),
    ("HiCut", 38, "h"), ("BusyLock", 40, "h"), ("RogerBeep", 42, "h"), ("SquelchMode", 44, "h"),
    ("PttIdBot", 46, "h"), ("PttIdEot", 48, "h"), ("CallCode", 50, "h"), ("TxOffsetDir", 52, "B"),
    ("TxOffset", 53, 7), ("RxStepClass", 60, "h"), ("TxStepClass", 62, "h"), ("TxInhibit", 64, "h"),
    ("ScrambleTalkaround", 66, "h"), ("VoiceEncrypt", 68, "h"), ("Talkaround", 70, "h"),
    ("SignalRelation", 72, "h"), ("Whisper", 74, "h"), ("PttIdMode", 76, "h"), ("Spacing", 78, "h"),
    ("OptSignal", 80, "h"), ("Compander", 82, "h"), ("Scrambler", 84, "h"), ("Rep", 86, "h"),
    ("Tsq", 88, "h"), ("RepLock", 90, "h")]

VFO_AT = 517
DTMF_AT = 659
# Settings fields carried by the radio: single 16-bit values and their file offsets.
SETTINGS_WORDS = {"ChannelCount": 4, "BandCode": 389, "TotTime": 391, "ChannelGroup": 393,
                  "DisplayMode": 395, "BacklightColor": 397, "ScanMode": 399, "ScanResumeTime": 401,
                  "Beep": 403, "PublicData": 405, "PttIdPauseTime": 407, "FreqEditable": 391 + 258,
                  "DtmfRate": DTMF_AT, "FirstDigitTime": DTMF_AT + 2, "FirstDigitDelay": DTMF_AT + 4,
                  "StarHashTime": DTMF_AT + 6, "DKeySetting": DTMF_AT + 8, "SideTone": DTMF_AT + 10}
ARRAYS = {"GroupChan": (409, 24), "GroupFlag": (457, 24), "ResetMode": (505, 6), "ToneTips": (1148, 240)}
TEXTS = {"ModelName": (382, 7), "PowerOnText": (609, 16)}
CODE_LIST_AT = DTMF_AT + 102
EMBEDDED_AT = 1049
GROUP_NAMES_AT = 1628


def read_channel(raw):
    c = {}
    for name, off, kind in CHANNEL_LAYOUT:
        if kind == "h":
            c[name] = struct.unpack_from("<h", raw, off)[0]
        elif kind == "B":
            c[name] = raw[off]
        else:
            c[name] = bytes(raw[off:off + kind])
    return c


def write_channel(c):
    raw = bytearray(CHANNEL_SIZE)
    for name, off, kind in CHANNEL_LAYOUT:
        if kind == "h":
            struct.pack_into("<h", raw, off, c[name])
        elif kind == "B":
            raw[off] = c[name]
        else:
            raw[off:off + kind] = fixed(c[name], kind)
    return bytes(raw)


def read_settings(raw):
    assert len(raw) == SETTINGS_SIZE
    st = {name: struct.unpack_from("<h", raw, off)[0] for name, off in SETTINGS_WORDS.items()}
    for name, (off, n) in ARRAYS.items():
        st[name] = list(struct.unpack_from("<%dh" % n, raw, off))
    for name, (off, width) in TEXTS.items():
        st[name] = bytes(raw[off:off + width])
    st["Vfo"] = read_channel(raw[VFO_AT:VFO_AT + CHANNEL_SIZE])
    st["CodeList"] = [{"Len": struct.unpack_from("<h", raw, CODE_LIST_AT + 18 * k)[0],
                       "Code": bytes(raw[CODE_LIST_AT + 18 * k + 2:CODE_LIST_AT + 18 * k + 18])}
                      for k in range(16)]
    st["EmbeddedMessage"] = [bytes(raw[EMBEDDED_AT + 16 * k:EMBEDDED_AT + 16 * k + 16]) for k in range(4)]
    st["GroupNames"] = [bytes(raw[GROUP_NAMES_AT + 3 * g:GROUP_NAMES_AT + 3 * g + 3]) for g in range(12)]
    return st


def patch_settings(raw, st):
    """`raw` (a whole settings file) with the fields of `st` written over it."""
    out = bytearray(raw)
    for name, off in SETTINGS_WORDS.items():
        if name in st:
            struct.pack_into("<h", out, off, st[name])
    for name, (off, n) in ARRAYS.items():
        if name in st:
            struct.pack_into("<%dh" % n, out, off, *st[name])
    for name, (off, width) in TEXTS.items():
        if name in st:
            out[off:off + width] = fixed(st[name], width)
    if "Vfo" in st:
        vfo = read_channel(out[VFO_AT:VFO_AT + CHANNEL_SIZE])
        vfo.update(st["Vfo"])
        out[VFO_AT:VFO_AT + CHANNEL_SIZE] = write_channel(vfo)
    for k, e in enumerate(st.get("CodeList", [])):
        struct.pack_into("<h", out, CODE_LIST_AT + 18 * k, e["Len"])
        out[CODE_LIST_AT + 18 * k + 2:CODE_LIST_AT + 18 * k + 18] = fixed(e["Code"], 16)
    for k, t in enumerate(st.get("EmbeddedMessage", [])):
        out[EMBEDDED_AT + 16 * k:EMBEDDED_AT + 16 * k + 16] = fixed(t, 16)
    for g, t in enumerate(st.get("GroupNames", [])):
        out[GROUP_NAMES_AT + 3 * g:GROUP_NAMES_AT + 3 * g + 3] = fixed(t, 3)
    return bytes(out)


def fre_path(dat):
    return dat[:-4] + ".fre" if dat.lower().endswith(".dat") else dat + ".fre"


def read_pair(dat):
    """(channel dicts, settings dict, raw settings bytes) of a data file pair."""
    with open(dat, "rb") as f:
        raw = f.read()
    st = read_settings(raw)
    with open(fre_path(dat), "rb") as f:
        fre = f.read()
    count = st["ChannelCount"]
    channels = [read_channel(fre[CHANNEL_SIZE * i:CHANNEL_SIZE * (i + 1)]) for i in range(count)]
    return channels, st, raw


def write_pair(dat, raw_settings, channels):
    st = {"ChannelCount": len(channels)}
    with open(dat, "wb") as f:
        f.write(patch_settings(raw_settings, st))
    with open(fre_path(dat), "wb") as f:
        f.write(b"".join(write_channel(c) for c in channels))


def radio_fields(channels, st):
    """Only what travels to and from the radio, in one comparable shape."""
    chans = [{k: c[k] for k in CHANNEL_FIELDS} for c in channels]
    s = {k: st[k] for k in OPTION_BYTES + ["GroupChan", "GroupFlag", "ResetMode", "PowerOnText",
                                           "EmbeddedMessage", "GroupNames", "ToneTips", "ModelName",
                                           "BandCode"]}
    s["Vfo"] = {k: st["Vfo"][k] for k in VFO_FIELDS}
    s["CodeList"] = [dict(e) for e in st["CodeList"]]
    return chans, s
