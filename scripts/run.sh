#!/usr/bin/env bash
# Installs what is missing, builds the program (only the program) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/configure.sh
configure_build
cmake --build build --target tessaray -j"$(nproc)"
# Without a display Qt would abort with a page of plugin advice; one line says it all.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to start tessaray on (DISPLAY and WAYLAND_DISPLAY are unset); tessaray-cli works without one." >&2
  exit 1
fi
exec build/app/tessaray
