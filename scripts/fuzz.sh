#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The libFuzzer targets, built with clang in build-fuzz: the whole tree carries the fuzzer's
# coverage instrumentation, AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh run NAME SECONDS [libFuzzer flags...]   fuzz one target
#   scripts/fuzz.sh smoke SECONDS                           every target in turn (CI)
#   scripts/fuzz.sh pack NAME                               store its grown corpus in the repository
#
# A run starts from the corpus kept in the repository (fuzz/corpus/NAME.tar.xz) and the seeds that
# fuzz/seeds.py builds from the factory templates, the simulated radio's memory and the codec test's
# images; it grows build-fuzz/corpus/NAME. Crashes go to build-fuzz/crashes/. Each target's
# -max_len covers its largest whole input. Set ZT_FUZZ_NO_DEPS=1 to skip the package check.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(fuzz_load_pair fuzz_image_decode fuzz_link_receive fuzz_csv_import)

# The largest whole input of each target: a shape byte, a 1664-byte settings file and 481 channel
# records of 92 bytes; the 9280-byte image and the 256-byte information area; a read with the echo
# in front of every reply (580 blocks of 27 bytes and the frames around them); a CSV channel list
# of every channel with long comments, long rows and fields longer than 64 KiB (256 KiB).
max_len() {
  case $1 in
  fuzz_load_pair) echo $((1 + 1664 + 481 * 92)) ;;
  fuzz_image_decode) echo $((9280 + 256)) ;;
  fuzz_link_receive) echo 16384 ;;
  fuzz_csv_import) echo 262144 ;;
  *) echo "unknown fuzz target $1" >&2; exit 2 ;;
  esac
}

build() {
  [ -n "${ZT_FUZZ_NO_DEPS:-}" ] || scripts/deps.sh
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZT_FUZZ=ON -DZT_SANITIZE=ON -DZT_BUILD_GUI=OFF -DZT_BENCH=OFF >/dev/null
  cmake --build build-fuzz --target "${targets[@]}" zt_data
}

# build-fuzz/corpus/NAME holds the stored corpus and the seeds (both added only once).
prepare() {
  local name=$1 corpus=build-fuzz/corpus/$1
  mkdir -p "$corpus" build-fuzz/crashes
  if [ ! -e "$corpus/.prepared" ]; then
    [ -f "fuzz/corpus/$name.tar.xz" ] && tar -xJf "fuzz/corpus/$name.tar.xz" -C "$corpus"
    python3 fuzz/seeds.py build-fuzz/dist/V300/Init build-fuzz/seeds
    cp -n build-fuzz/seeds/"$name"/* "$corpus"/
    touch "$corpus/.prepared"
  fi
}

# A target's words (fuzz/NAME.dict), and how fast inputs may grow: libFuzzer lengthens its inputs
# only slowly by default, which kept the CSV target's below a kilobyte; it may use its whole length
# from the start.
extra_flags() {
  [ -f "fuzz/$1.dict" ] && echo "-dict=fuzz/$1.dict"
  case $1 in
  fuzz_csv_import) echo "-len_control=0" ;;
  esac
}

run() {
  local name=$1 seconds=$2
  shift 2
  prepare "$name"
  # shellcheck disable=SC2046
  "build-fuzz/fuzz/$name" -max_len="$(max_len "$name")" $(extra_flags "$name") -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix=build-fuzz/crashes/ "$@" "build-fuzz/corpus/$name"
}

# The corpus minimised to the inputs that add coverage, packed as fuzz/corpus/NAME.tar.xz.
pack() {
  local name=$1 min=build-fuzz/min/$1
  rm -rf "$min" && mkdir -p "$min"
  "build-fuzz/fuzz/$name" -merge=1 -max_len="$(max_len "$name")" "$min" "build-fuzz/corpus/$name"
  mkdir -p fuzz/corpus
  tar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 -C "$min" -cJf "fuzz/corpus/$name.tar.xz" .
  echo "fuzz/corpus/$name.tar.xz: $(find "$min" -type f | wc -l) inputs, $(du -k "fuzz/corpus/$name.tar.xz" | cut -f1) KiB"
}

case ${1:-} in
run)
  build
  run "${2:?usage: scripts/fuzz.sh run NAME SECONDS}" "${3:-60}" "${@:4}"
  ;;
smoke)
  build
  for t in "${targets[@]}"; do
    run "$t" "${2:-20}"
  done
  ;;
pack)
  build
  pack "${2:?usage: scripts/fuzz.sh pack NAME}"
  ;;
*)
  sed -n '2,13p' "$0" >&2
  exit 2
  ;;
esac
