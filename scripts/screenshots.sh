#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates what the user guide (docs/guide.md) shows of the program.
#
#   bash scripts/screenshots.sh              the screenshots in docs/images/
#   bash scripts/screenshots.sh --examples   the example blocks of docs/guide.md
#   bash scripts/screenshots.sh --all        both
#
# Screenshots: tessaray-docshots opens the real windows under a virtual X server
# (Xvfb, 96 dpi), types the guide's example inputs into their controls, presses
# Calculate and saves each window as PNG. Examples: every block of the guide marked
# "<!-- example: ... -->" or "<!-- file: ... -->" is replaced by what the program
# prints or writes (the test docs_guide_examples checks the same blocks).
# Installs what is missing (Xvfb, the fonts), builds what is needed, then runs.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=images
case "${1:-}" in
  ""|--images) mode=images ;;
  --examples) mode=examples ;;
  --all) mode=all ;;
  *) echo "usage: bash scripts/screenshots.sh [--images|--examples|--all]" >&2; exit 64 ;;
esac

scripts/install-deps.sh xvfb xauth
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARAY_TESTS=ON >/dev/null
cmake --build build --target tessaray-cli tessaray-docshots docexamples

export LC_ALL=C.UTF-8 TZ=UTC

if [ "$mode" = images ] || [ "$mode" = all ]; then
  shots=$(mktemp -d)
  trap 'rm -rf "$shots"' EXIT
  # The windows as X11 draws them, with the fonts of this machine, at 96 dpi
  # (15 twips to the pixel, the scale the windows are laid out in).
  QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 QT_SCALE_FACTOR=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp" \
    build/docs/tools/tessaray-docshots images "$shots"
  mkdir -p docs/images
  # The 200% pictures are taken by hand on a scaled desktop and kept.
  find docs/images -name '*.png' ! -name '*-200.png' -delete
  cp "$shots"/*.png docs/images/
  ls -l docs/images
fi

if [ "$mode" = examples ] || [ "$mode" = all ]; then
  QT_QPA_PLATFORM=offscreen build/docs/tools/docexamples update docs/guide.md \
    build/app/cli/tessaray-cli build/docs/tools/tessaray-docshots
fi
