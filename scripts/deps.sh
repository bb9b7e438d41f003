#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# Usage: deps.sh run|test|bench
set -euo pipefail

packages=(g++ cmake make pkg-config libfmt-dev qt6-base-dev libqt6charts6-dev libgl-dev fonts-dejavu-core)
case "${1:-run}" in
  test) packages+=(libgtest-dev libgmock-dev libboost-math-dev locales clang libclang-rt-dev) ;;
  bench) packages+=(libbenchmark-dev libboost-math-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# The number-format tests run under a locale with a decimal comma.
if [ "${1:-run}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
