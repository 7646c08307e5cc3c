#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything and runs every test: the full build (core, windows
# on the offscreen platform, end-to-end over pseudo-terminals), then the core tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz target for 20 seconds on its
# stored corpus (a smoke test: a crash or a sanitizer report fails it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZT_SANITIZE=ON -DZT_BUILD_GUI=OFF -DZT_BENCH=OFF
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
ZT_FUZZ_NO_DEPS=1 scripts/fuzz.sh smoke 20
