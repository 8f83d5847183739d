#!/bin/sh
# Makes the Ogg Vorbis files of the sound tests (sox synthesis, oggenc).
# Run from this folder; the results are committed.
set -e
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A tenth of a second of two tones, one a channel: 4410 frames.
sox -n -r 44100 -c 2 -b 16 "$tmp/tone.wav" synth 0.1 sine 441 sine 662 vol 0.5
oggenc -Q -q 4 --serial 1 -o tone_stereo.ogg "$tmp/tone.wav"
# Mono at 22050 Hz, 0.3 s, for the rate conversion.
sox -n -r 22050 -c 1 -b 16 "$tmp/mono.wav" synth 0.3 sine 300 vol 0.5
oggenc -Q -q 4 --serial 2 -o tone_mono_22050.ogg "$tmp/mono.wav"
# Three channels, which the player refuses.
sox -n -r 44100 -c 3 -b 16 "$tmp/three.wav" synth 0.1 sine 300
oggenc -Q -q 4 --serial 3 -o three_channels.ogg "$tmp/three.wav"
# Headers and no samples.
sox -n -r 44100 -c 2 -b 16 "$tmp/empty.wav" trim 0 0
oggenc -Q -q 4 --serial 4 -o no_samples.ogg "$tmp/empty.wav"
