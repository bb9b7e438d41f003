#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing: with all
# of them there it calls no package manager, so it needs no network and no sudo.
# Usage: deps.sh run|test|bench
set -euo pipefail

# Real package names only: dpkg-query never reports a virtual one as installed.
# xdg-utils gives xdg-open, which Edit Data File and Print Results use.
packages=(g++ cmake make pkg-config libfmt-dev qt6-base-dev qt6-charts-dev libgl-dev fonts-dejavu-core xdg-utils)
case "${1:-run}" in
  test) packages+=(libgtest-dev libgmock-dev libboost-math-dev locales clang libclang-rt-dev) ;;
  bench) packages+=(libbenchmark-dev libboost-math-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" == *"install ok installed"* ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# The number-format tests run under a locale with a decimal comma. No pipe into
# grep -q: under pipefail an early exit of grep would read as a missing locale.
if [ "${1:-run}" = test ] && ! grep -qi '^de_DE\.utf-\?8$' <<<"$(locale -a 2>/dev/null)"; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
