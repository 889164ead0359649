#!/usr/bin/env bash
# How samples/noisy-call-16k.wav was made (run once; the result is committed).
# Synthetic speech with brown noise, a 120 Hz hum and hiss, 16 kHz mono 16-bit.
set -euo pipefail
out=${1:-noisy-call-16k.wav}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
espeak-ng -v en -s 150 -w "$work/speech.wav" "Thank you for calling. This is a short recording made to \
show how Hushdesk removes steady background noise from speech. The fan in the room keeps humming, and \
the line adds a soft hiss. After cleaning, the voice should stand out clearly while the hiss and the \
hum fade away."
sox "$work/speech.wav" -r 16000 -c 1 -b 16 "$work/speech16.wav"
seconds=$(soxi -D "$work/speech16.wav")
sox -n -r 16000 -c 1 -b 16 "$work/brown.wav" synth "$seconds" brownnoise vol 0.08
sox -n -r 16000 -c 1 -b 16 "$work/hum.wav" synth "$seconds" sine 120 vol 0.02
sox -n -r 16000 -c 1 -b 16 "$work/hiss.wav" synth "$seconds" whitenoise vol 0.03
sox -m -v 0.8 "$work/speech16.wav" -v 0.8 "$work/brown.wav" -v 0.8 "$work/hum.wav" \
    -v 0.8 "$work/hiss.wav" -b 16 "$out"
