#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the program and its tests need; does nothing
# when they are all present, so it is safe to run every time.
set -euo pipefail

# Optional extras, only when asked: --fuzz (clang with libFuzzer and the sanitizer
# runtimes, for fuzz/), --bench (Google Benchmark, for bench/), --package (dpkg-dev,
# so the Debian package gets exact library versions). Other arguments are packages.
extra=()
for arg in "$@"; do
  case "$arg" in
    --fuzz) extra+=(clang libclang-rt-14-dev) ;;
    --bench) extra+=(libbenchmark-dev) ;;
    --package) extra+=(dpkg-dev) ;;
    *) extra+=("$arg") ;;
  esac
done

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev                # Qt 6 Core/Gui/Widgets/PrintSupport/Test; Qt Gui's CMake asks for the GL headers
  libcups2-dev                          # printing hands its jobs to CUPS itself, to hear whether CUPS took them
  fonts-dejavu-core fonts-liberation2   # free stand-ins for Verdana, Arial, MS Sans Serif and Lucida Console
  ${extra[@]+"${extra[@]}"}
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
