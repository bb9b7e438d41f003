#!/usr/bin/env bash
# Fuzzes the reading and checking of data files: builds the libFuzzer target with
# clang and runs it for a bounded time from the seed corpus in tests/fuzz/corpus.
# Fails on any crash, leak, sanitizer report or broken check. Inputs that fail
# are kept in build-fuzz/ as crash-*, leak-* or timeout-* files.
# Usage: fuzz.sh [seconds]   (default 60; JOBS sets the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
jobs="${JOBS:-$(nproc)}"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSORVEK_FUZZ=ON \
  -DSORVEK_BUILD_APP=OFF -DSORVEK_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_data_file -j"$jobs"

# New inputs go to a scratch corpus; the committed seeds stay as they are. The
# scanner's console warnings (standard output) are dropped; libFuzzer and the
# sanitizers report on standard error.
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./build-fuzz/fuzz_data_file -max_total_time="$seconds" -max_len=16384 -timeout=10 \
  -artifact_prefix=build-fuzz/ -print_final_stats=1 "$corpus" tests/fuzz/corpus >/dev/null
