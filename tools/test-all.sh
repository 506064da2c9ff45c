#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Recitor and runs every test on a Debian 12 machine, as root: installs the Debian packages
# the build and the tests need, then runs the unit, user-interface and end-to-end tests, all of
# them again under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded ones under
# ThreadSanitizer, and each fuzz target for a bounded time (FUZZ_SECONDS, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev libgl-dev qt6-tools-dev qt6-documentation-tools
          libqt6sql6-sqlite xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core python3
          poppler-utils pkg-config libsm-dev libsqlite3-dev sqlite3 faketime libsword-dev
          sword-text-kjv sword-text-web libsword-utils qt6-speech-dev qt6-speech-flite-plugin
          qt6-declarative-dev pulseaudio)
bash tools/install-packages.sh "${packages[@]}"

jobs=$(nproc)

echo "== Release build and tests"
cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

# The sanitizers watch the whole program: the data tests, the windows under the offscreen platform
# and the real program in the end-to-end scenarios. Qt and the system libraries are not built with
# them; what they keep until the process ends is not ours to free (tools/lsan-suppressions.txt).
echo "== Every test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -G Ninja -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DRECITOR_SANITIZE=ON \
      -DRECITOR_BUILD_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_stack_use_after_return=1 \
LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# Loading, saving and the import's measuring use threads: ThreadSanitizer, which cannot share a
# build with the sanitizers above, watches the data tests and the import window in a build of its
# own.
echo "== Threaded tests under ThreadSanitizer"
cmake -G Ninja -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DRECITOR_TSAN=ON \
      -DRECITOR_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs"
TSAN_OPTIONS="suppressions=$PWD/tools/tsan-suppressions.txt:halt_on_error=1" \
    ctest --test-dir build/tsan --output-on-failure -j "$jobs"

echo "== Fuzz targets, ${FUZZ_SECONDS:-30} s each"
cmake -G Ninja -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DRECITOR_BUILD_FUZZ=ON -DRECITOR_BUILD_TESTS=OFF \
      -DRECITOR_BUILD_BENCH=OFF -DRECITOR_BUILD_APP=OFF
cmake --build build/fuzz -j "$jobs"
for target in element stats load import; do
    binary="build/fuzz/fuzz/recitor_fuzz_${target^}"
    corpus=$(mktemp -d)
    cp fuzz/corpus/"$target"/* "$corpus"/
    echo "-- $target"
    "$binary" -max_total_time="${FUZZ_SECONDS:-30}" -max_len=8192 -print_final_stats=1 \
        "$corpus" 2>&1 | tail -n 12
    rm -rf "$corpus"
done
rm -rf /dev/shm/recitor-fuzz-* 2>/dev/null || true
echo "All tests passed."
