#!/usr/bin/env python3
"""Seed corpora of the fuzz targets, built from what the project already has: the factory templates
of the program folder, the memory and information area the simulated radio serves, and the rich
memory images of the end-to-end codec test.

    fuzz/seeds.py INIT_DIR OUT_DIR

writes OUT_DIR/fuzz_image_decode, OUT_DIR/fuzz_load_pair and OUT_DIR/fuzz_link_receive (files named
by the hash of their content, so running it again adds nothing twice)."""

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

    links = os.path.join(out_dir, "fuzz_link_receive")
    for mode in (0, 1, 2):
        for echo in (False, True):
            put(links, link_stream(mode, echo, images[0], info))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
