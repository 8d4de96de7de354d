#!/usr/bin/env bash
# The tone samples heard through a real sound server: a private PulseAudio with a null sink,
# recorded from the sink's monitor while the tone window's sound path plays each sample,
# then compared with the sample (the same beeps, at least 90 % of the sound). Exit 77
# (skipped) where PulseAudio or its tools are missing or its server cannot start.
#   null_sink_test.sh TONE_PROBE ASSETS_DIR
set -uo pipefail
probe="$1"
assets="$2"
for tool in pulseaudio pactl parec; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work="$(mktemp -d)"
pa=""
rec=""
cleanup() {
  [ -n "$rec" ] && kill "$rec" 2>/dev/null
  [ -n "$pa" ] && kill "$pa" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A server of our own, reached only through its socket; nothing of the desktop's is used.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export PULSE_RUNTIME_PATH="$work/run/pulse" PULSE_STATE_PATH="$work/state"
export PULSE_SERVER="unix:$work/native"
mkdir -p -m 700 "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
  -L "module-native-protocol-unix socket=$work/native auth-anonymous=1" \
  -L "module-null-sink sink_name=probe rate=48000" \
  -L "module-always-sink" >"$work/pulse.log" 2>&1 &
pa=$!
for _ in $(seq 1 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "skipped: the PulseAudio server did not start"
  cat "$work/pulse.log"
  exit 77
fi
pactl set-default-sink probe

# Waits until a file has grown to a size (the recording's own clock: the sound server may
# lag the wall clock by a second under load).
grown() {
  for _ in $(seq 1 200); do
    [ "$(stat -c %s "$1")" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

failed=0
# The samples the short cut was heard on: two beeps, three, a sequence. (The 30 ms click of
# Tick.WAV is too short to measure here: the server's start of a stream blurs it even for
# paplay.)
for tone in Programing.WAV Error.WAV Pickup2.WAV; do
  raw="$work/$tone.raw"
  parec --latency-msec=20 -d probe.monitor --raw --format=s16le --rate=8000 --channels=1 >"$raw" &
  rec=$!
  # 0.2 s recorded before the sound starts; 2 s more after it has ended (16000 bytes a
  # second), so that a late end would be caught too.
  grown "$raw" 3200 || { echo "FAIL: the recording did not start"; failed=1; }
  if ! QT_QPA_PLATFORM=offscreen "$probe" play "$assets/$tone"; then
    echo "FAIL: $tone could not be played"
    failed=1
  fi
  grown "$raw" $(($(stat -c %s "$raw") + 32000)) || echo "the recording stalled"
  kill -INT "$rec" 2>/dev/null
  wait "$rec" 2>/dev/null
  rec=""
  if ! "$probe" compare "$assets/$tone" "$raw"; then
    echo "FAIL: $tone was not heard whole"
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
