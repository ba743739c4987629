#!/usr/bin/env bash
# Makes the default alarm sound: a two-tone industrial siren, hi-lo at two
# cycles a second for four seconds, in a buzzer timbre (square wave with its
# harshest harmonics filtered off). The program loops it while input 16 is on,
# so it starts and ends on a clean tone edge.
# Usage: make_alarm.sh OUT.mp3   (needs sox with libsox-fmt-mp3)
set -euo pipefail
out=${1:?usage: make_alarm.sh OUT.mp3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() { # name frequency seconds
    sox -R -n -r 44100 -c 1 -b 16 "$work/$1.wav" synth "$3" square "$2" square "$(($2 * 2))" \
        remix 1v0.8,2v0.2 gain -8 lowpass 3200 highpass 300 fade q 0.006 "$3" 0.006
}
tone hi 988 0.25
tone lo 784 0.25

parts=()
for _ in 1 2 3 4 5 6 7 8; do parts+=("$work/hi.wav" "$work/lo.wav"); done
sox -R "${parts[@]}" "$work/siren.wav" gain -n -2
sox -R "$work/siren.wav" -C 64 "$out"
