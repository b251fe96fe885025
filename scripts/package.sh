#!/usr/bin/env bash
# Builds the Debian package (Release, in build-package/) and checks it with lintian,
# which must find nothing to warn about, after the AppStream metainfo and the desktop
# entry have passed their own validators. Installs what is missing first.
#
#   bash scripts/package.sh     -> build-package/tessaray_<version>_amd64.deb, checked
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package lintian appstream desktop-file-utils
appstreamcli validate --no-net packaging/tessaray.metainfo.xml >/dev/null
desktop-file-validate packaging/tessaray.desktop
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARAY_TESTS=OFF >/dev/null
cmake --build build-package
rm -f build-package/tessaray_*.deb
(cd build-package && cpack -G DEB >/dev/null)
lintian --fail-on error,warning build-package/tessaray_*.deb
ls build-package/tessaray_*.deb
