#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build into a temporary prefix and starts the installed launcher the way a user
# would, with a stand-in for the program that records where and how it was started. Checks that
# the launcher finds its files from wherever it is installed or linked, prepares the working
# directory and settings, keeps the user's files on the next start, and passes the arguments on.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/pre fix"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "install"; }

for file in bin/recitor bin/recitor-setup share/recitor/RctInfo.xml \
            share/recitor/RctStatsSpare.xml share/recitor/RctUser.xml \
            share/applications/recitor.desktop share/icons/hicolor/scalable/apps/recitor.svg \
            share/icons/hicolor/48x48/apps/recitor.png; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/recitor" ] || fail "the launcher is not executable"
grep -qxF "Exec=\"$prefix/bin/recitor\"" "$prefix/share/applications/recitor.desktop" ||
    fail "the desktop entry does not name the installed launcher"
cmp -s "$source/res/RctInfo.xml" "$prefix/share/recitor/RctInfo.xml" ||
    fail "the bundled passages differ"

# The stand-in program reports its working directory and arguments.
cat >"$prefix/bin/Recitor" <<'STANDIN'
#!/bin/sh
{ pwd; for argument in "$@"; do echo "[$argument]"; done; } >"$RECITOR_TEST_REPORT"
STANDIN
chmod +x "$prefix/bin/Recitor"

export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export RECITOR_TEST_REPORT="$scratch/report"
workdir="$XDG_DATA_HOME/Quillmark/Recitor"

# Started through a link elsewhere, as from a directory on the search path.
mkdir "$scratch/path"
ln -s "$prefix/bin/recitor" "$scratch/path/recitor"
(cd / && "$scratch/path/recitor" -Embedding "two words") || fail "the launcher failed"
printf '%s\n' "$workdir" "[-Embedding]" "[two words]" | cmp -s - "$RECITOR_TEST_REPORT" ||
    fail "program started as: $(cat "$RECITOR_TEST_REPORT")"
cmp -s "$source/res/RctInfo.xml" "$workdir/RctInfo.xml" || fail "RctInfo.xml not copied"
cmp -s "$source/res/RctUser.xml" "$workdir/RctUser.xml" || fail "RctUser.xml not created"
cmp -s "$source/res/RctStatsSpare.xml" "$workdir/RctStats.xml" || fail "RctStats.xml not created"
grep -qx 'RunCount=0' "$XDG_CONFIG_HOME/Quillmark/Recitor.conf" || fail "RunCount not created"
for flag in PrefFlyoverChoiceAllowed PrefConfirmChoiceAllowed PrefFontChoiceAllowed; do
    grep -qx "$flag=1" "$XDG_CONFIG_HOME/Quillmark/Recitor.conf" || fail "$flag not created"
done

# The next start keeps what the program and the user have changed.
echo "my passages" >"$workdir/RctUser.xml"
sed -i -e 's/^RunCount=0$/RunCount=12/' -e 's/^PrefFlyoverChoiceAllowed=1$/PrefFlyoverChoiceAllowed=0/' \
    "$XDG_CONFIG_HOME/Quillmark/Recitor.conf"
"$prefix/bin/recitor" || fail "the second start failed"
[ "$(cat "$workdir/RctUser.xml")" = "my passages" ] || fail "the user file was replaced"
grep -qx 'RunCount=12' "$XDG_CONFIG_HOME/Quillmark/Recitor.conf" || fail "RunCount was reset"
grep -qx 'PrefFlyoverChoiceAllowed=0' "$XDG_CONFIG_HOME/Quillmark/Recitor.conf" ||
    fail "PrefFlyoverChoiceAllowed was reset"

# Without its shipped files the launcher stops before the program, with a message.
mv "$prefix/share/recitor" "$prefix/share/recitor.away"
rm -f "$RECITOR_TEST_REPORT"
if "$prefix/bin/recitor" 2>"$scratch/errors"; then fail "started without its files"; fi
[ ! -e "$RECITOR_TEST_REPORT" ] || fail "the program ran without its files"
grep -q 'recitor-setup: ' "$scratch/errors" || fail "no message on a failed set-up"
echo "install test passed"
