#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs a command with a sound server of its own: a private PulseAudio daemon whose only output is a
# null sink, so that the offline speech engine has an audio device to speak to on a machine with no
# sound card (a test machine, CI). Without PulseAudio the command runs as it is and the speech test
# says that it cannot speak.
set -uo pipefail

if ! command -v pulseaudio > /dev/null; then
    exec "$@"
fi
dir=$(mktemp -d)
pulseaudio --daemonize=no -n --use-pid-file=no --exit-idle-time=-1 --disallow-exit \
    --load=module-null-sink --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    > "$dir/log" 2>&1 &
server=$!
for _ in $(seq 50); do
    [[ -S $dir/native ]] && break
    sleep 0.1
done
PULSE_SERVER="unix:$dir/native" "$@"
status=$?
kill "$server" 2> /dev/null
wait "$server" 2> /dev/null
rm -rf "$dir"
exit "$status"
