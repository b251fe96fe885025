#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (Release, in build-package/) and checks it with lintian,
# which must find nothing to warn about, after the AppStream metainfo and the desktop
# entry have passed their own validators and the manual page, the completion and the
# metainfo were found to describe every option of tessaray-cli. Installs what is
# missing first.
#
#   bash scripts/package.sh     -> build-package/tessaray_<version>_amd64.deb, checked
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package lintian appstream desktop-file-utils
appstreamcli validate --no-net packaging/tessaray.metainfo.xml >/dev/null
desktop-file-validate packaging/tessaray.desktop
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARAY_TESTS=OFF >/dev/null
cmake --build build-package

# The manual page, the bash completion and the metainfo name exactly the options
# tessaray-cli's usage names (--version and --settings-path come before any command).
options() { sed 's/\\-/-/g' | grep -oE -- '--[a-z0-9-]+' | grep -vxE -- '--(version|settings-path)' | sort -u; }
usage=$(build-package/app/cli/tessaray-cli --help | options)
described() { if [ "$(options)" != "$usage" ]; then echo "package.sh: $1 does not name tessaray-cli's options" >&2; exit 1; fi; }
grep -E '^\.(Opt|BR?) \\-\\-' packaging/tessaray-cli.1 | described tessaray-cli.1
grep -E '^[a-z,]+ +--' packaging/tessaray-cli.bash | described tessaray-cli.bash
grep -oE '<code>--[a-z0-9-]+' packaging/tessaray.metainfo.xml | described tessaray.metainfo.xml

rm -f build-package/tessaray_*.deb
(cd build-package && cpack -G DEB >/dev/null)
lintian --fail-on error,warning build-package/tessaray_*.deb
ls build-package/tessaray_*.deb
