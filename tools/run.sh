#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Recitor, installs it for the current user and starts it on the bundled passages, on a
# Debian 12 machine. Installs the Debian packages the build needs first (as root, or through sudo
# when run as a user). The install goes under ~/.local (RECITOR_PREFIX to choose another place);
# arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

# The compiler and build tools, Qt with its development files (the X11 platform plugin and Qt
# Print Support come with them), Qt Help with its generator for the help collection and the
# database driver it reads the collection with, a font to draw text with, and the PDF tools that
# read printed card sheets back (for the tests, when they are built); SQLite for the review history,
# with its command-line tool to look into it; the Bible library with two free Bibles to take passages
# from; Qt's text-to-speech with an offline voice to read passages aloud.
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev qt6-tools-dev qt6-documentation-tools
          libqt6sql6-sqlite fonts-dejavu-core poppler-utils libsqlite3-dev sqlite3 libsword-dev
          sword-text-kjv sword-text-web qt6-speech-dev qt6-speech-flite-plugin qt6-declarative-dev)
bash tools/install-packages.sh "${packages[@]}"

prefix=${RECITOR_PREFIX:-$HOME/.local}
# A build folder of its own: the program alone, without tests and benchmarks, so that it does not
# change the options of the test script's builds.
cmake -G Ninja -S . -B build/run -DCMAKE_BUILD_TYPE=Release -DRECITOR_BUILD_TESTS=OFF \
      -DRECITOR_BUILD_BENCH=OFF
cmake --build build/run -j "$(nproc)"
cmake --install build/run --prefix "$prefix"

# The launcher prepares the working directory (~/.local/share/Quillmark/Recitor) and the
# settings on the first start and keeps them afterwards.
exec "$prefix/bin/recitor" "$@"
