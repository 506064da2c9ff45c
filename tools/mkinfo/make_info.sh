#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Regenerates res/RctInfo.xml and checks it.
#
#   tools/mkinfo/make_info.sh            extract the verses again from the
#                                        installed Bible modules, then build
#   tools/mkinfo/make_info.sh --no-extract
#                                        build from the committed verses.txt
#
# See README.md for the packages it needs.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
res=$(cd "$here/../../res" && pwd)
build=${MKINFO_BUILD_DIR:-"$here/../../build-mkinfo"}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
if [ "${1:-}" != "--no-extract" ]; then
    "$build/mkinfo" --extract "$here/passages.txt" "$here/verses.txt"
fi
QT_QPA_PLATFORM=offscreen "$build/mkinfo" "$here/passages.txt" "$here/verses.txt" "$res/RctInfo.xml"
python3 "$here/check_info.py" "$res"
