#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Seed corpora of the fuzz targets, built from what the project already has: the factory templates
of the program folder, the memory and information area the simulated radio serves, and the rich
memory images of the end-to-end codec test.

    fuzz/seeds.py INIT_DIR OUT_DIR

writes OUT_DIR/fuzz_image_decode, OUT_DIR/fuzz_load_pair, OUT_DIR/fuzz_link_receive and
OUT_DIR/fuzz_csv_import (files named by the hash of their content, so running it again adds nothing
twice)."""

import hashlib
import importlib.util
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import ztimage as zi  # noqa: E402
from test_image_codec import rich_image  # noqa: E402


def load_sim():
    found = importlib.util.spec_from_file_location("ztradio_sim", os.path.join(ROOT, "tools", "ztradio-sim",
                                                                             "ztradio-sim.py"))
    mod = importlib.util.module_from_spec(found)
    found.loader.exec_module(mod)
    return mod


def put(folder, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, hashlib.sha1(data).hexdigest()), "wb") as f:
        f.write(data)


SIM = load_sim()


def data_reply(addr, data):
    body = bytes([addr >> 8, addr & 0xFF, len(data)]) + data
    return b"W" + body + bytes([SIM.checksum(body), 0x06])


def event(chunk):
    """One event of the link target: a length byte (1..39) and the bytes that arrive."""
    assert 0 < len(chunk) < 40
    return bytes([len(chunk)]) + chunk


def link_stream(mode, echo, image, info):
    """A whole exchange the engine accepts: read (0), write (1) or information read (2); without
    echo (bit 3 of the first byte) or with every frame echoed in front of its reply."""
    out = bytearray([mode | (0 if echo else 8), 1, 1, ord("0")])

    def reply(sent, answer):
        out.extend(event((sent if echo else b"") + answer))

    reply(b"PROGRAM", b"ZT\x06")
    ident = bytes(image[0x21F0:0x21F0 + 14])
    reply(b"\x02", b"P" + ident + b"\x06")
    if mode == 2:
        blocks = [(0x3F00 + a, bytes(info[a:a + 16])) for a in range(0, 0x100, 16)]
    else:
        reply(b"R\x3f\x20\x10", data_reply(0x3F20, bytes(info[0x20:0x30])))
        blocks = [(a, bytes(image[a:a + 16])) for a in range(0, len(image), 16)]
    for a, data in blocks:
        if mode == 1:
            frame = b"W" + bytes([a >> 8, a & 0xFF, 16]) + data
            frame += bytes([SIM.checksum(frame[1:]), 0x06])
            reply(frame, b"\x06")
        else:
            reply(b"R" + bytes([a >> 8, a & 0xFF, 16]), data_reply(a, data))
    reply(b"END", b"\x06")
    return bytes(out)


def main(init_dir, out_dir):
    images = [bytes(SIM.default_image())] + [rich_image(seed) for seed in (1, 2, 3)]
    info = bytes(SIM.default_info())

    for img in images:
        put(os.path.join(out_dir, "fuzz_image_decode"), img + info)

    # Pairs: shape byte 1 (a settings file of exactly 1664 bytes), then the two files.
    pairs = os.path.join(out_dir, "fuzz_load_pair")
    templates = sorted(f for f in os.listdir(init_dir) if f.endswith(".dat"))
    for name in templates:
        dat = os.path.join(init_dir, name)
        with open(dat, "rb") as f:
            raw = f.read()
        with open(zi.fre_path(dat), "rb") as f:
            fre = f.read()
        put(pairs, b"\x01" + raw + fre)
        if not fre:
            continue
        # The template's settings with the channels of each image, over its first channel's record.
        base = zi.read_channel(fre[:zi.CHANNEL_SIZE])
        for img in images:
            channels, _ = zi.decode_image(img)
            recs = [zi.write_channel({**base, **{k: v for k, v in c.items() if k in base}}) for c in channels]
            st = zi.patch_settings(raw, {"ChannelCount": len(recs)})
            put(pairs, b"\x01" + st + b"".join(recs))

    # CSV channel lists: option byte (file order, replace in use, update columns, frequencies
    # editable) and first-channel byte, then the text: this program's export shape, other tools'
    # shapes (numbered from 0, every tone column filled, watts, a USB and a 6-metre row), quoting
    # with embedded separators and line breaks, an unclosed quote, huge numbers, mixed line ends.
    csvs = os.path.join(out_dir, "fuzz_csv_import")
    header = ("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
              "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n")
    texts = [
        header + "1,,27.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,S,Low,zt:,,,,\r\n"
        "290,,29.620000,off,0.100000,TSQL,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,"
        "zt: ampower=1 busylock=2 rogerbeep=3 txinhibit=1 offsetdir=1,,,,\r\n"
        "401,,28.000000,,0.000000,Cross,88.5,254.1,754,RN,023,DTCS->Tone,AM,5.00,,Low,zt: callcode=200,,,,\r\n",
        header + "0,CALL,28.400000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,5.0W,,,,,\r\n"
        "1,RPT,29.620000,-,0.100000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
        "2,SSB,28.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,USB,5.00,,50W,,,,,\r\n"
        "3,SIX,50.125000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
        "4,DCS,29.600000,+,0.100000,DTCS,88.5,88.5,023,RN,023,Tone->Tone,NFM,5.00,P,10W,,,,,\r\n"
        "5,SPL,28.000000,split,28.100000,Cross,88.5,100.0,023,NN,125,->DTCS,FM,5.00,,1W,,,,,\r\n",
        "\ufeffFrequency,Location,Name\n27.611250,241,\"a, \"\"b\"\"\r\nc\"\n28,402,x\r28.1,403,y\r\n",
        "Location,Frequency,Name\n401,28.000000,\"oops\n402,28.1,a\n",
        "Location,Frequency,Duplex,Offset\n401,99999999999999999999,,\n402,28.0,+,99999999999999999999\n"
        "-1,28.0,,\n405,28.0,+,0000000000000000000000.1\n",
    ]
    # Spreadsheets' and other tools' shapes: semicolons with decimal commas, comment lines, a long
    # quoted field and a long row.
    texts += [
        "Location;Frequency;Duplex;Offset;Mode;Power\r\n401;29,600;-;0,1;FM;4,5W\r\n402;\"28,025\";;;AM;25W\r\n",
        "# saved by another tool\r\n" + header + "# repeaters\r\n"
        "401,,29.600000,-,0.100000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,4.0W,,,,,\r\n",
        "Location,Frequency,Name\r\n401,28,\"" + "a\"\"," * 12000 + "\"\r\n402,28.1," + "b" * 70000 + "\r\n",
        "Location,Frequency" + ",x" * 30000 + "\r\n401,28" + ",1" * 30000 + "\r\n",
    ]
    for i, text in enumerate(texts):
        for mode in (0, 1 | 8, 3 | 4):
            put(csvs, bytes([mode, 140 + i]) + text.encode("utf-8"))
    # "Unicode text": UTF-16 with its mark, tabs between the columns.
    tabbed = "Location\tFrequency\tMode\tPower\r\n401\t29,600\tFM\t25W\r\n402\t28.0\tAM\t4.0W\r\n"
    put(csvs, bytes([0, 150]) + tabbed.encode("utf-16"))
    put(csvs, bytes([1, 151]) + b"\xfe\xff" + tabbed.encode("utf-16-be"))

    links = os.path.join(out_dir, "fuzz_link_receive")
    for mode in (0, 1, 2):
        for echo in (False, True):
            put(links, link_stream(mode, echo, images[0], info))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
