#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and every test with AddressSanitizer and UndefinedBehaviorSanitizer
# in its own folder (build-sanitize/) and runs the whole suite there, headless. Any
# sanitizer report fails the test that caused it, and so the script.
#   bash scripts/sanitize.sh            # build and run everything
#   bash scripts/sanitize.sh -R save    # extra arguments go to ctest
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-sanitize -j"$(nproc)"
# Leaks are not checked: Qt and fontconfig keep caches for the life of the process,
# which LeakSanitizer would report at every exit.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" --timeout 900 "$@"
