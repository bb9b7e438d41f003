#!/usr/bin/env bash
# Fuzzes data files with two libFuzzer targets built with clang: the reading and
# checking of any file, and the reading, fitting and reporting of small files (at
# most 40 rows, with lowered optimiser limits). Each runs for half the given time
# from the seed corpus in tests/fuzz/corpus. Fails on any crash, leak, sanitizer
# report or broken check. Inputs that fail are kept in build-fuzz/ as crash-*,
# leak-* or timeout-* files, prefixed with the target's name.
# Usage: fuzz.sh [seconds]   (default 80 in all; JOBS sets the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-80}"
jobs="${JOBS:-$(nproc)}"
targets=(fuzz_data_file fuzz_data_file_fit)

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSORVEK_FUZZ=ON \
  -DSORVEK_BUILD_APP=OFF -DSORVEK_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]}" -j"$jobs"

# New inputs go to a scratch corpus; the committed seeds stay as they are. The
# scanner's console warnings (standard output) are dropped; libFuzzer and the
# sanitizers report on standard error. One input of the fitting target takes well
# under a second, so a timeout of 10 seconds means a hang.
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
for target in "${targets[@]}"; do
  echo "-- $target"
  mkdir -p "$corpus/$target"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "./build-fuzz/$target" -max_total_time=$((seconds / 2)) -max_len=16384 -timeout=10 \
    -artifact_prefix="build-fuzz/$target-" -print_final_stats=1 "$corpus/$target" tests/fuzz/corpus >/dev/null
done
