#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program (only the program) and starts it.
# Without a display it builds the command-line tool too, which needs none, and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/configure.sh
configure_build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cmake --build build --target tessaray tessaray-cli -j"$(nproc)"
  echo "run.sh: no display to start tessaray on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  echo "run.sh: tessaray-cli works without one and is built: build/app/cli/tessaray-cli --help" >&2
  exit 1
fi
cmake --build build --target tessaray -j"$(nproc)"
exec build/app/tessaray "$@"
