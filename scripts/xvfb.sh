# Sourced by the scripts: starts Xvfb on a free display and exports DISPLAY.
# Sets XVFB_PID; the caller kills it when done.
start_xvfb() {
  local size=$1 n
  for n in $(seq "${ZEPHAL_DISPLAY_FIRST:-93}" 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      # The display answers, and it is this server's: one started at the same
      # moment by another script may have taken the number.
      xdpyinfo >/dev/null 2>&1 && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$XVFB_PID" ] && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "cannot start Xvfb" >&2
  return 1
}
