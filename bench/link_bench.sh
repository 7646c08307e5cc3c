#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Link speed against the simulated radio, as numbers (nothing here passes or fails):
#  - a full read and a full write with the line paced at 9600 baud, as the ratio of the elapsed
#    time to the time the bytes need on the wire (read 15,137 bytes, write 13,397 bytes, at
#    10 bits a byte), with and without an echoing cable;
#  - the software overhead of one block exchange over a pseudo-terminal without pacing: the time
#    from one block request to the next, averaged over the 580 blocks of a read and of a write;
#  - the cost of a reply held back for a fixed time, as a USB serial adapter holds a short reply
#    until its latency timer runs out: a paced full read with each reply delayed by 0, 1, 4 and
#    16 ms (ZT_REPLY_DELAYS_MS="..." gives others), and its time over the first of these reads,
#    in total and per reply;
#  - the window's read (section gui): a paced full read through the main window's read command,
#    progress window included, over the same read by ztprog-cli (the best of three runs each);
#  - section safety: a paced write with --verify over the same write without it, and what keeping
#    the backup of a read costs (unpaced reads with and without it).
# Usage: bench/link_bench.sh [BUILD_DIR [SECTION...]]   (default: build, and the sections paced,
# unpaced and delay; needs ztprog-cli and ztradio-sim built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sections=" ${*:-paced unpaced delay} "
cli=$build/dist/V300/ztprog-cli
sim=$build/bin/ztradio-sim
[ -x "$cli" ] && [ -x "$sim" ] || { echo "build ztprog-cli first ($cli, $sim)" >&2; exit 1; }
work=$(mktemp -d)
# Reads and writes keep their backups as they do for a user, here in the scratch folder.
export XDG_DATA_HOME="$work/data"
simpid=
cleanup() {
  [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_sim() { # options...
  rm -f "$work/frames.log"
  "$sim" --link "$work/radio" --log "$work/frames.log" --dump "$work/dump.bin" "$@" >"$work/sim.out" &
  simpid=$!
  for _ in $(seq 100); do [ -s "$work/sim.out" ] && return; sleep 0.05; done
  echo "the simulated radio did not start" >&2; exit 1
}
stop_sim() { kill "$simpid"; wait "$simpid" 2>/dev/null || true; simpid=; }

now() { date +%s.%N; }

# One exchange of ztprog-cli against the running simulated radio.
run_cli() { # read|write [options...]
  local op=$1
  shift
  if [ "$op" = read ]; then
    "$cli" --quiet read --yes "$@" --port "$work/radio" "$work/out.dat"
  else
    "$cli" --quiet write --yes "$@" --port "$work/radio" "$work/doc.dat" >/dev/null
  fi
}

# The same, timed: prints the elapsed seconds.
timed_cli() { # read|write [options...]
  local t0 t1
  t0=$(now)
  run_cli "$@"
  t1=$(now)
  python3 -c 'import sys; print("%.6f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$t0" "$t1"
}

# A data pair to write: the default memory of the simulated radio, decoded.
start_sim
"$cli" --quiet image --yes --port "$work/radio" "$work/radio.bin"
stop_sim
"$cli" --quiet decode "$work/radio.bin" "$work/doc.dat"

if [[ $sections == *" paced "* ]]; then
  echo "Paced at 9600 baud (ratio = elapsed / wire time; the goal is at most 1.02)"
  for cable in "" "--echo"; do
    for op in read write; do
      start_sim --paced $cable
      elapsed=$(timed_cli $op)
      stop_sim
      if [ $op = read ]; then wire=15137; else wire=13397; fi
      python3 - "$op" "${cable:-no echo}" "$elapsed" "$wire" <<'PY'
import sys
op, cable, elapsed, wire = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4])
wire_s = wire * 10 / 9600
print("  %-5s %-8s %7.3f s for %.3f s on the wire: ratio %.4f" % (op, cable, elapsed, wire_s, elapsed / wire_s))
PY
    done
  done
fi

if [[ $sections == *" unpaced "* ]]; then
  echo "Unpaced pseudo-terminal (time from one block request to the next, incl. the simulated radio)"
  for cable in "" "--echo"; do
    for op in read write; do
      start_sim $cable
      run_cli $op
      stop_sim
      python3 - "$work/frames.log" "$op" "${cable:-no echo}" <<'PY'
import sys
path, op, cable = sys.argv[1:4]
kind = "RX %s " % op
times = [float(l.split()[0]) for l in open(path) if l.split(" ", 1)[1].startswith(kind)]
per = (times[-1] - times[0]) / (len(times) - 1)
print("  %-5s %-8s %d blocks, %.3f ms per block exchange" % (op, cable, len(times), per * 1000))
PY
    done
  done
fi

if [[ $sections == *" gui "* ]]; then
  gui=$build/bench/gui/bench_gui_radio_read
  if [ -x "$gui" ]; then
    echo "Paced read through the main window over the same read by ztprog-cli (best of 3 each)"
    start_sim --paced
    cli_times=$(for _ in 1 2 3; do timed_cli read; done)
    gui_times=$("$gui" "$work/radio" 3)
    stop_sim
    python3 - "$cli_times" "$gui_times" <<'PY'
import sys
cli = min(float(t) for t in sys.argv[1].split())
gui = min(float(t) for t in sys.argv[2].split())
print("  ztprog-cli %.3f s, window %.3f s: ratio %.4f" % (cli, gui, gui / cli))
PY
  else
    echo "build bench_gui_radio_read for the gui section" >&2
  fi
fi

if [[ $sections == *" safety "* ]]; then
  echo "Verify after write (paced) and the backup of a read (unpaced, best of 5 each)"
  start_sim --paced
  plain=$(timed_cli write)
  verified=$(timed_cli write --verify)
  stop_sim
  start_sim
  without=$(for _ in 1 2 3 4 5; do timed_cli read --no-backup; done)
  with=$(for _ in 1 2 3 4 5; do timed_cli read; done)
  stop_sim
  python3 - "$plain" "$verified" "$without" "$with" <<'PY'
import sys
plain, verified = float(sys.argv[1]), float(sys.argv[2])
without = min(float(t) for t in sys.argv[3].split())
with_backup = min(float(t) for t in sys.argv[4].split())
print("  write %.3f s, write --verify %.3f s: ratio %.3f" % (plain, verified, verified / plain))
print("  read %.3f s without backup, %.3f s with: the backup costs %.1f ms" %
      (without, with_backup, (with_backup - without) * 1000))
PY
fi

if [[ $sections == *" delay "* ]]; then
  echo "Paced read, each reply held back a fixed time (extra: over the read with the first delay given)"
  base=
  for ms in ${ZT_REPLY_DELAYS_MS:-0 1 4 16}; do
    start_sim --paced --reply-delay "$ms"
    elapsed=$(timed_cli read)
    stop_sim
    replies=$(grep -c '^[0-9.]* TX ' "$work/frames.log")
    base=${base:-$elapsed}
    python3 - "$ms" "$elapsed" "$base" "$replies" <<'PY'
import sys
ms, elapsed, base, replies = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
wire_s = 15137 * 10 / 9600
extra = elapsed - base
print("  %5g ms  %7.3f s (ratio %.4f)  extra %6.3f s over %d replies = %.3f ms each"
      % (ms, elapsed, elapsed / wire_s, extra, replies, extra / replies * 1000))
PY
  done
fi
