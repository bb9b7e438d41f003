#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -DSORVEK_BUILD_TESTS=OFF >/dev/null
cmake --build build --target sorvek-imm -j"$(nproc)"
exec ./build/sorvek-imm "$@"
