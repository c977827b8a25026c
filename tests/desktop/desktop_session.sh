#!/usr/bin/env bash
# Runs a command on a real X display with a window manager, as a person's desktop has one:
# an Xvfb on a display number it picks itself (so that runs beside each other never
# collide), openbox managing its windows, DISPLAY set for the command. Both go when the
# command ends; the command's exit status is the script's.
#
#   desktop_session.sh COMMAND [ARG...]
#
# Exits 77 (a CTest skip) only when no X server can start: Xvfb, openbox or xdotool missing
# (scripts/setup.sh installs them), or Xvfb gives no display.
set -u

skip() {
    echo "SKIP: $1"
    exit 77
}

for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done

session="$(mktemp -d)"
server=
manager=
cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null && wait "$manager" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$session"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

mkfifo "$session/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" \
    >"$session/xvfb.log" 2>&1 &
server=$!
read -r -t 30 number <"$session/display" || number=
[ -n "$number" ] || skip "Xvfb did not start: $(tail -n 3 "$session/xvfb.log")"
export DISPLAY=":$number"

# openbox runs its --startup command once it manages the screen.
openbox --startup "touch $session/managing" >"$session/openbox.log" 2>&1 &
manager=$!
for _ in $(seq 300); do
    [ -e "$session/managing" ] && break
    kill -0 "$manager" 2>/dev/null || break
    sleep 0.1
done
if [ ! -e "$session/managing" ]; then
    echo "FAIL: openbox did not start on $DISPLAY: $(tail -n 3 "$session/openbox.log")"
    exit 1
fi

"$@"
