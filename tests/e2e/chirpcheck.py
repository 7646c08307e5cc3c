# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads a CSV export with CHIRP's own CSV reader and compares every field it reads with the
document the export was made from.

CHIRP's reader is not part of this project: a copy of the few files it needs lies beside the
project, in ../shared/interop/chirp from the project's root (or where ZT_CHIRP_DIR says). It runs
in its own python3 process; without python3 or without that folder the check is skipped.

The figures of every check of a test run are added up in FIGURES and printed at the end.
"""

import json
import os
import shutil
import subprocess
import unittest

import ztimage
import ztlayout

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHIRP_DIR = os.environ.get("ZT_CHIRP_DIR") or os.path.join(ROOT, "..", "shared", "interop", "chirp")
PYTHON = shutil.which("python3")

FIGURES = {"files": 0, "rows": 0, "fields": 0, "agreed": 0}

# Runs in CHIRP's process: loads the file with its CSV radio and prints what it read.
_LOADER = r"""
import json, logging, sys
logging.disable(logging.CRITICAL)
sys.path.insert(0, sys.argv[1])
from chirp.drivers import generic_csv
radio = generic_csv.CSVRadio(None)
radio.load(sys.argv[2])
mems = []
for m in radio.get_memories():
    if m.empty:
        continue
    mems.append({"number": m.number, "name": m.name, "freq": m.freq, "duplex": m.duplex,
                 "offset": m.offset, "tmode": m.tmode, "rtone": m.rtone, "ctone": m.ctone,
                 "dtcs": m.dtcs, "rx_dtcs": m.rx_dtcs, "dtcs_polarity": m.dtcs_polarity,
                 "cross_mode": m.cross_mode, "mode": m.mode, "tuning_step": m.tuning_step,
                 "skip": m.skip, "power": str(m.power), "comment": m.comment})
print(json.dumps({"errors": radio.errors, "memories": mems}))
"""


def available():
    return PYTHON is not None and os.path.isfile(os.path.join(CHIRP_DIR, "chirp", "drivers", "generic_csv.py"))


def skip_reason():
    return "CHIRP's CSV reader is not at %s (or python3 is missing)" % CHIRP_DIR


def load(csv_path):
    """What CHIRP's reader makes of the file: (errors, memories as dicts)."""
    p = subprocess.run([PYTHON, "-c", _LOADER, CHIRP_DIR, csv_path], capture_output=True, text=True,
                       timeout=120)
    if p.returncode != 0:
        raise AssertionError("CHIRP's CSV reader refused %s:\n%s" % (csv_path, p.stderr[-2000:]))
    data = json.loads(p.stdout)
    return data["errors"], data["memories"]


def _tone(index):
    """A channel tone index as (kind, value, polarity): ("Tone", Hz, None), ("DTCS", code, "N"/"R"),
    or None."""
    if index <= 0:
        return None
    code = ztimage.tone_code(index, ztimage.DCS_CHANNEL)
    kind, value = code >> 12, code & 0x0FFF
    if kind == 0:
        return ("Tone", round(value / 10, 1), None)
    return ("DTCS", value, "R" if kind == 0x8 else "N")


def _chirp_tones(m):
    """CHIRP's tone fields as (tx, rx), each like _tone's result."""
    pol = m["dtcs_polarity"]
    tone = lambda hz: ("Tone", round(hz, 1), None)
    mode = m["tmode"]
    if mode == "":
        return None, None
    if mode == "Tone":
        return tone(m["rtone"]), None
    if mode == "TSQL":
        return tone(m["ctone"]), tone(m["ctone"])
    if mode == "DTCS":
        return ("DTCS", int(str(m["dtcs"]), 8), pol[0]), ("DTCS", int(str(m["dtcs"]), 8), pol[1])
    tx_kind, rx_kind = m["cross_mode"].split("->")
    tx = {"Tone": tone(m["rtone"]), "DTCS": ("DTCS", int(str(m["dtcs"]), 8), pol[0]), "": None}[tx_kind]
    rx = {"Tone": tone(m["ctone"]), "DTCS": ("DTCS", int(str(m["rx_dtcs"]), 8), pol[1]), "": None}[rx_kind]
    return tx, rx


def _digits(raw):
    text = raw.replace(b"\x00", b"").strip()
    return int(text) if text.isdigit() else 0


def expected(ch):
    """What the document's channel record means in CHIRP's fields."""
    level = ch["AmPower"] if ch["Mode"] == 0 else ch["FmPower"]
    duplex = "off" if ch["TxInhibit"] else {1: "-", 2: "+"}.get(ch["TxOffsetDir"], "")
    return {
        "number": ch["ChannelNo"],
        "name": "",
        "freq": _digits(ch["RxFreq"]) * 10,
        "duplex": duplex,
        "offset": _digits(ch["TxOffset"]) * 10,
        "tones": (_tone(ch["EncodeTone"]), _tone(ch["DecodeTone"])),
        "mode": "AM" if ch["Mode"] == 0 else "FM",
        "tuning_step": {0: 5.0, 1: 6.25, 2: 8.33}[ch["RxStepClass"]],
        "skip": "S" if ch["ScanSkip"] else "",
        "power": "25W" if level else "4.0W",
    }


def read(m):
    got = {k: m[k] for k in ("number", "name", "freq", "duplex", "offset", "mode", "tuning_step", "skip",
                             "power")}
    got["tones"] = _chirp_tones(m)
    return got


def check(case, csv_path, dat_path, required=False):
    """CHIRP's reader loads every row of the export at `csv_path` without an error, and every field
    it reads agrees with the channel of the document at `dat_path`. Without the reader a test that
    `required` it is skipped; the others go on without this check."""
    if not available():
        if required:
            raise unittest.SkipTest(skip_reason())
        return
    errors, memories = load(csv_path)
    case.assertEqual(errors, [], csv_path)
    dat, fre = ztlayout.pair_paths(dat_path)
    with open(dat, "rb") as f1, open(fre, "rb") as f2:
        _, channels = ztlayout.read_pair(f1.read(), f2.read())
    exported = {c["ChannelNo"]: c for c in channels if _digits(c["RxFreq"]) > 0}
    case.assertEqual(sorted(m["number"] for m in memories), sorted(exported), csv_path)
    FIGURES["files"] += 1
    for m in memories:
        want, got = expected(exported[m["number"]]), read(m)
        FIGURES["rows"] += 1
        FIGURES["fields"] += len(want)
        FIGURES["agreed"] += sum(1 for k in want if want[k] == got[k])
        case.assertEqual(got, want, "channel %d of %s" % (m["number"], csv_path))
        case.assertTrue(m["comment"].startswith("zt:"), m["comment"])


def print_figures():
    if FIGURES["files"]:
        print("\nCHIRP's CSV reader: %(files)d exports, %(rows)d rows loaded, %(agreed)d of %(fields)d fields "
              "agree with the document" % FIGURES)
