# Sourced by the test scripts: a private runtime folder and a PulseAudio server with a
# null sink ("vsink") and a microphone made from its monitor ("vmic"), so that audio
# tests can play and record without a sound card. Leaves DZQ_PULSE_PID set.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR_OVERRIDE:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
if command -v pulseaudio >/dev/null 2>&1; then
  pulseaudio --start -n --exit-idle-time=-1 --disable-shm=yes \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=vsink" \
    --load="module-remap-source master=vsink.monitor source_name=vmic" >/dev/null 2>&1 || true
  if pactl info >/dev/null 2>&1; then
    pactl set-default-sink vsink >/dev/null 2>&1 || true
    pactl set-default-source vmic >/dev/null 2>&1 || true
    export DZQ_HAVE_PULSE=1
  fi
fi
stop_headless_audio() { command -v pulseaudio >/dev/null 2>&1 && pulseaudio --kill >/dev/null 2>&1 || true; }
