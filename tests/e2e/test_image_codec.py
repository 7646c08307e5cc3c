# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli's image codec against the independent one in ztimage.py: rich memory images (every kind
of slot, tone, text and code) decode to the same record fields, data file pairs encode to the same
bytes, and a read followed by a write through the simulated radio delivers them unchanged."""

import random
import unittest

import ztimage as zi
from clicase import CliCase
from simradio import SimRadio


def tone_word(rnd, dcs, other_dcs):
    """A tone word of a random kind, including words that name no tone of the table."""
    kind = rnd.randrange(8)
    if kind == 0:
        return 0xFFFF
    if kind == 1:
        return rnd.choice(zi.CTCSS)
    if kind == 2:
        return 0xD000 + rnd.choice(dcs)
    if kind == 3:
        return 0x8000 + rnd.choice(dcs)
    if kind == 4:  # a DCS code that only the other table has
        extra = [c for c in other_dcs if c not in dcs] or [0o777]
        return rnd.choice((0xD000, 0x8000)) + rnd.choice(extra)
    if kind == 5:
        return rnd.choice((0x0123, 0x0FFF, 0xD000, 0x8001))  # values not in the tables
    if kind == 6:
        return rnd.choice((0x1000, 0x5123, 0xA017, 0xFF00, 0xE000 + 0o023))  # kinds that are no tone
    return rnd.choice((0x029E, 0xD00F, 0x800F, 0x09EE, 0xD000 + 0o754, 0x8000 + 0o754))


def text_bytes(rnd, width, stops):
    """A text field with letters, blanks, bytes above 127 and stop bytes anywhere."""
    chars = b"ABCXYZabz0129 -.#" + bytes([0xC4, 0xE9, 0x80])
    out = bytearray(rnd.choice(chars) for _ in range(width))
    shape = rnd.randrange(5)
    if shape == 1:  # ends early
        out[rnd.randrange(width)] = rnd.choice(stops)
    elif shape == 2:  # trailing blanks before the end
        cut = rnd.randrange(width)
        out[cut:] = b" " * (width - cut)
    elif shape == 3:  # a NUL inside, then more text
        out[rnd.randrange(width)] = 0
    elif shape == 4:  # erased
        out[:] = b"\xff" * width
    return bytes(out)


def rich_image(seed, all_used=False):
    """A memory image with every slot kind and every field kind of value the radio can hold; the
    bytes the codec does not own are random so that a misplaced read shows."""
    rnd = random.Random(seed)
    img = bytearray(rnd.getrandbits(8) for _ in range(zi.IMAGE_SIZE))
    for b in range(zi.BITMAP_LEN):
        img[zi.USED_MAP + b] = 0xFF if all_used else rnd.choice((0xFF, 0xFF, 0xFF, 0x00, rnd.getrandbits(8)))
    for n in range(1, zi.CHANNELS + 1):
        slot = n * 16
        kind = rnd.randrange(6)
        if kind == 0:
            khz = rnd.randrange(2562, 3010) * 10 + rnd.choice((1, 2))  # the 12.5 kHz points
        elif kind == 1:
            khz = rnd.randrange(2562, 3010) * 10 + rnd.choice((0, 5))
        elif kind == 2:
            khz = rnd.choice((25615, 30105, 26965, 27612, 27611))
        elif kind == 3 and not all_used:
            khz = 0xFFFF
        else:
            khz = rnd.randrange(25615, 30106)
        img[slot:slot + 2] = bytes([khz & 0xFF, khz >> 8])
        img[slot + 5] = rnd.getrandbits(8) & 0b01111011
        for off in (6, 8):
            w = tone_word(rnd, zi.DCS_CHANNEL, zi.DCS_VFO)
            img[slot + off:slot + off + 2] = bytes([w >> 8, w & 0xFF])
    for off in (0, 2):
        w = tone_word(rnd, zi.DCS_VFO, zi.DCS_CHANNEL)
        img[zi.VFO + off:zi.VFO + off + 2] = bytes([w >> 8, w & 0xFF])

    for g in range(12):
        img[zi.GROUP_NAMES + 3 * g:zi.GROUP_NAMES + 3 * g + 3] = text_bytes(rnd, 3, b"\x00\xff")
    for k in range(4):
        img[zi.EMBEDDED + 16 * k:zi.EMBEDDED + 16 * k + 16] = text_bytes(rnd, 16, b"\xff")
    img[zi.POWER_ON:zi.POWER_ON + 16] = text_bytes(rnd, 16, b"\x00\xff")
    for k in range(16):
        n = rnd.choice((0, 1, 3, 8, 15, 16, rnd.randrange(17)))
        code = bytes(rnd.randrange(16) for _ in range(n))
        end = bytes([rnd.randrange(0x10, 0x100)]) if n < 16 else b""
        rest = bytes(rnd.getrandbits(8) for _ in range(16))
        img[zi.CODE_LIST + 16 * k:zi.CODE_LIST + 16 * k + 16] = (code + end + rest)[:16]
    refs = list(range(40)) + [0xFF] * 8 + [rnd.getrandbits(8)]
    for a in range(zi.GROUP_CHAN, zi.GROUP_CHAN + 24):
        img[a] = rnd.choice(refs)
    for a in range(zi.GROUP_FLAG, zi.GROUP_FLAG + 24):
        img[a] = rnd.choice((0, 1, 1, 0xFF, rnd.getrandbits(8)))
    for j in range(6):
        img[zi.RESET_MODE + j] = rnd.choice(refs)
    img[zi.IDENT:zi.IDENT + 6] = b"ZR2450"
    img[zi.IDENT + 6] = 2
    img[zi.IDENT + 8:zi.IDENT + 12] = b"V300"
    img[zi.IDENT + 12] = 0  # radio flags clear: this radio may be written again
    return bytes(img)


def expected_fields(image):
    """What a data file pair holds after decoding `image` and saving: saving stores the model name
    trimmed and the band code of the model's band text, and the one band this program knows has
    code 0 (any other code has no band text, which gives 0 again)."""
    chans, st = zi.radio_fields(*zi.decode_image(image))
    st["ModelName"] = zi.fixed(zi.trim(st["ModelName"]), 7)
    st["BandCode"] = 0
    return chans, st


class CodecTestCase(CliCase):
    scratch_prefix = "ztimg-"

    def assertSameFields(self, pair_dat, image):
        """Every radio-carried field of the pair equals the independent decoder's."""
        want_chans, want_st = expected_fields(image)
        got_chans, got_st = zi.radio_fields(*zi.read_pair(pair_dat)[:2])
        self.assertEqual([c["ChannelNo"] for c in got_chans], [c["ChannelNo"] for c in want_chans])
        for got, want in zip(got_chans, want_chans):
            diff = {k: (got[k], want[k]) for k in want if got[k] != want[k]}
            self.assertEqual(diff, {}, "channel %d (program, expected)" % want["ChannelNo"])
        diff = {k: (got_st[k], want_st[k]) for k in want_st if got_st[k] != want_st[k]}
        self.assertEqual(diff, {}, "settings (program, expected)")

    def assertSameImage(self, got, want):
        bad = [a for a in range(zi.IMAGE_SIZE) if got[a] != want[a]]
        self.assertEqual(len(got), zi.IMAGE_SIZE)
        self.assertEqual(bad[:1], [], "first differing address 0x%04X: program %02X, expected %02X; %d bytes differ"
                         % (bad[0], got[bad[0]], want[bad[0]], len(bad)) if bad else "")


class DecodeEncodeTest(CodecTestCase):
    def test_decode_gives_the_fields_of_the_independent_decoder(self):
        for seed, all_used, ident in ((101, True, None), (102, False, None), (103, False, b"AB\x00x\xffy\x05")):
            with self.subTest(seed=seed):
                image = bytearray(rich_image(seed, all_used))
                if ident:  # another model: its name ends at the NUL, its band code is not this band's
                    image[zi.IDENT:zi.IDENT + 7] = ident
                image = bytes(image)
                dat = self.path("d%d.dat" % seed)
                self.ok("decode", self.put("d%d.bin" % seed, image), dat)
                self.assertSameFields(dat, image)

    def test_encode_of_decoded_pairs_matches_the_independent_encoder(self):
        for seed in (201, 202):
            with self.subTest(seed=seed):
                dat = self.path("e%d.dat" % seed)
                self.ok("decode", self.put("e%d.bin" % seed, rich_image(seed, seed == 201)), dat)
                self.ok("encode", dat, self.path("e%d.out" % seed))
                self.assertSameImage(self.get("e%d.out" % seed), zi.encode_image(*zi.read_pair(dat)[:2]))

    def test_encode_of_edited_pairs_matches_the_independent_encoder(self):
        # A pair as an editor or an old file may leave it: values at the edges of their fields,
        # frequencies off the 5 kHz grid, codes longer or shorter than their digits.
        dat = self.path("base.dat")
        self.ok("decode", self.put("base.bin", rich_image(301, True)), dat)
        channels, st, raw = zi.read_pair(dat)
        freqs = [b"02761200", b"02696500", b"02761125", b"0276112 ", b"027615", b"        ", b"03010500",
                 b"02561500", b"02700001"]
        for i, c in enumerate(channels[:60]):
            c["RxFreq"] = freqs[i % len(freqs)]
            c["IsBlank"] = int(c["RxFreq"].strip() == b"")
            c["ScanSkip"] = (0, 1, 2)[i % 3]
            c["DecodeTone"], c["EncodeTone"] = [(0, 264), (51, 158), (50, 157), (265, -1), (1, 0)][i % 5]
            c["BusyLock"], c["RogerBeep"], c["SquelchMode"] = 3, 15, 15
            c["PttIdBot"], c["PttIdEot"], c["CallCode"] = (31, 255, 255) if i % 2 else (0, 0, 1)
            c["Rep"], c["RepLock"], c["Tsq"] = 3, i % 2, 1 - i % 2
        del channels[480:]  # channel 481 absent
        channels.reverse()  # table order is not channel order
        codes = [(4, b"12*#"), (6, b"12"), (2, b"1234"), (16, b"0123456789ABCD*#"), (17, b"999"), (0, b"55"),
                 (3, b"9  "), (-1, b"12"), (1, b"#"), (5, b"A\x00BC")]
        st["CodeList"] = [{"Len": n, "Code": t} for n, t in codes] + st["CodeList"][len(codes):]
        st["TotTime"], st["SideTone"], st["FreqEditable"] = 40, 1, 1
        st["GroupChan"] = [0, 40, 1, 39] * 6
        st["GroupFlag"] = [0, 1, 2, 255] * 6
        st["ResetMode"] = [7, 0, 0, 40, 255, 1]
        st["Vfo"].update(DecodeTone=63, EncodeTone=282, PttIdBot=17, RogerBeep=8, BusyLock=2)
        st["PowerOnText"] = b"        rv2180 \x00"
        st["EmbeddedMessage"] = [b"HELLO   ", b"A\x00BCD", b"X" * 16, b""]
        st["GroupNames"] = [b"AB", b"A\x00B", b"   ", b"XYZ"] * 3
        st["ToneTips"] = [i % 256 for i in range(240)]
        edited = self.path("edited.dat")
        zi.write_pair(edited, zi.patch_settings(raw, st), channels)
        self.ok("encode", edited, self.path("edited.bin"))
        got = self.get("edited.bin")
        self.assertSameImage(got, zi.encode_image(*zi.read_pair(edited)[:2]))
        # Fixed points of the memory map, so that both codecs cannot be wrong together.
        slot1 = [c for c in channels if c["ChannelNo"] == 1][0]
        self.assertEqual(slot1["RxFreq"], b"02761200")
        self.assertEqual(got[0x10:0x12], bytes([0xDC, 0x6B]))
        self.assertEqual(got[0x2170], 2)
        self.assertEqual(got[0x2200:0x2210], bytes([1, 2, 0xE, 0xF]) + b"\xff" * 12)
        self.assertEqual(got[0x2140:0x2143], b"AB ")


class ThroughTheRadioTest(CodecTestCase):
    def test_read_then_write_delivers_the_same_image(self):
        image = rich_image(401, True)
        reader = SimRadio("--echo", "--image", self.put("radio.img", image))
        self.addCleanup(reader.close)
        dat = self.path("read.dat")
        self.ok("read", "--yes", "--port", reader.device, dat)
        self.assertSameFields(dat, image)

        other = rich_image(402)
        writer = SimRadio("--image", self.put("other.img", other))
        self.addCleanup(writer.close)
        self.ok("write", "--yes", "--port", writer.device, dat)
        expected = bytearray(zi.encode_image(*zi.decode_image(image)))
        # The radio's own identification replaces the written one, except its band code.
        for a in range(zi.IDENT, zi.IDENT + 14):
            if a != zi.IDENT + 6:
                expected[a] = other[a]
        self.assertSameImage(writer.dumped(), bytes(expected))


if __name__ == "__main__":
    unittest.main()
