#!/usr/bin/env bash
# Builds everything and runs every test headless: first a bounded fuzzing run
# of the data-file reading and of the fitting of small files, then the core and
# program logic under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# tests of the thread pools and of the work shared on them under
# ThreadSanitizer, then the full build with the Qt tests on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
# With everything installed, the dependency step must reach no package manager.
stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
for tool in apt-get apt aptitude sudo localedef; do
  printf '#!/bin/sh\necho %s >> "%s/called"\nexit 1\n' "$tool" "$stubs" >"$stubs/$tool"
  chmod +x "$stubs/$tool"
done
for list in test run; do
  if ! PATH="$stubs:$PATH" bash scripts/deps.sh "$list" >/dev/null || [ -e "$stubs/called" ]; then
    echo "FAIL: with everything installed, deps.sh $list must succeed and call nothing;" \
      "it called: $(cat "$stubs/called" 2>/dev/null | xargs)" >&2
    exit 1
  fi
done
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== Fuzzing the data-file reading and fitting"
JOBS="$jobs" bash scripts/fuzz.sh 80

echo "== Sanitizer build (core and program logic)"
cmake -S . -B build-asan -DSORVEK_SANITIZE=ON -DSORVEK_BUILD_APP=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== ThreadSanitizer build (thread pools, breakpoint analysis, complete runs)"
cmake -S . -B build-tsan -DSORVEK_THREAD_SANITIZE=ON -DSORVEK_BUILD_APP=OFF >/dev/null
cmake --build build-tsan --target test_support test_engine test_breakpoint -j"$jobs"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j"$jobs" \
  -R '^(RowPool|TaskPool|ThreadCount|Breakpoint|CompleteRun)\.'

echo "== Full build"
cmake -S . -B build-test -DSORVEK_BUILD_APP=ON >/dev/null
cmake --build build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j"$jobs"
