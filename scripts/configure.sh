#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The one build folder and build type that scripts/run.sh and scripts/test.sh share,
# so running one after the other rebuilds nothing. Sourced, not run.
configure_build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}
