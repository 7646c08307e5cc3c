#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs one of them for a number of seconds.
#   scripts/fuzz.sh fuzz_load_pair 60
# The corpus grows in build-fuzz/corpus/NAME; crashes are written to build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: scripts/fuzz.sh NAME SECONDS}
seconds=${2:-60}
scripts/deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZT_FUZZ=ON -DZT_SANITIZE=ON -DZT_BUILD_GUI=OFF -DZT_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "$name" zt_data
corpus=build-fuzz/corpus/$name
mkdir -p "$corpus" build-fuzz/crashes
# Seed the pair loader with the factory templates: shape byte 1 (a 1664-byte settings file),
# then the settings file and its channel file.
if [ "$name" = fuzz_load_pair ] && [ -z "$(ls -A "$corpus")" ]; then
  for t in build-fuzz/dist/V300/Init/*.dat; do
    { printf '\001'; cat "$t" "${t%dat}fre"; } >"$corpus/seed-$(basename "$t" .dat)"
  done
fi
exec "build-fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=build-fuzz/crashes/ "$corpus"
