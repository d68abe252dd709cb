#!/bin/sh
# End to end under Xvfb with trayer, an XEmbed tray: "quotix --demo" started
# before the tray (as from autostart) docks its icon once the tray appears,
# a click opens the panel and a second click closes it for good, a second
# copy refuses to start, and SIGTERM ends it cleanly.
# Usage: tray_e2e.sh /path/to/quotix      Exit 77: a needed tool is missing.
set -u

quotix=$1
skip() { echo "SKIP: $*"; exit 77; }
fail() {
    echo "FAIL: $*"
    xwininfo -root -tree 2>/dev/null | grep -v '(has no name): ()' | sed 's/^/  x11: /'
    [ -f "$work/quotix.log" ] && sed 's/^/  quotix: /' "$work/quotix.log"
    exit 1
}

for tool in Xvfb trayer xwininfo xdotool dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (Debian packages: xvfb trayer x11-utils xdotool dbus)"
done

# A session bus of our own, so no StatusNotifierWatcher of the desktop interferes.
if [ -z "${QUOTIX_E2E_ON_PRIVATE_BUS:-}" ]; then
    QUOTIX_E2E_ON_PRIVATE_BUS=1 exec dbus-run-session --config-file="$(dirname "$0")/../dbus-session.conf" -- sh "$0" "$@"
fi

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Up to $1 tenths of a second for the command after it to succeed.
retry() {
    tries=$1
    shift
    while [ "$tries" -gt 0 ]; do
        "$@" && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

display=""
for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=$n
        break
    fi
done
[ -n "$display" ] || fail "no free X display number"
# Tall enough for the demo's four providers: the panel must not cover the icon.
Xvfb ":$display" -screen 0 1024x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
export DISPLAY=":$display"
retry 100 xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start"

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP

"$quotix" --demo >"$work/quotix.log" 2>&1 &
quotix_pid=$!
pids="$pids $quotix_pid"
sleep 0.5
kill -0 "$quotix_pid" 2>/dev/null || fail "quotix gave up before the tray appeared"

trayer --edge top --align right --widthtype pixel --width 120 --height 24 --SetDockType true \
    >"$work/trayer.log" 2>&1 &
pids="$pids $!"

# The icon: a 22 px quotix window inside trayer's panel; its line ends with
# the absolute position, e.g. 0x400006 "Quotix": ("quotix" "Quotix")  22x22+0+0  +1001+1
icon_line() {
    for panel in $(xdotool search --class trayer 2>/dev/null); do
        xwininfo -id "$panel" -tree 2>/dev/null | grep '("quotix" "Quotix")'
    done | head -n 1
}
position_of() { echo "$1" | awk '{ print $NF }'; }
# trayer moves the slot into place after the icon is embedded: wait until it stays put on screen.
docked() {
    icon=$(icon_line) && [ -n "$icon" ] || return 1
    case $(position_of "$icon") in *-*) return 1 ;; esac
    sleep 0.2
    [ "$(position_of "$(icon_line)")" = "$(position_of "$icon")" ]
}
retry 100 docked || fail "the icon did not dock in trayer"
size=$(echo "$icon" | awk '{ print $(NF-1) }' | cut -d+ -f1)
position=$(position_of "$icon")
x=$(echo "$position" | cut -d+ -f2)
y=$(echo "$position" | cut -d+ -f3)
echo "docked: $size at $x,$y"
[ "$size" = "22x22" ] || fail "the icon is $size, not one 22x22 slot"

# The panel: a visible quotix window well larger than the icon.
panel_shown() {
    for id in $(xdotool search --onlyvisible --class quotix 2>/dev/null); do
        width=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ { print $2 }')
        height=$(xwininfo -id "$id" 2>/dev/null | awk '/Height:/ { print $2 }')
        [ "${width:-0}" -ge 200 ] && [ "${height:-0}" -ge 100 ] && return 0
    done
    return 1
}
panel_hidden() { ! panel_shown; }

click_icon() { xdotool mousemove $((x + 11)) $((y + 11)) click 1; }

sleep 0.3 # the icon window is mapped before it handles clicks
click_icon
retry 50 panel_shown || fail "a click on the icon did not open the panel"
echo "panel opened"

click_icon
retry 30 panel_hidden || fail "a second click did not close the panel"
sleep 0.5
panel_hidden || fail "the closing click opened the panel again"
echo "panel closed"

second=$("$quotix" --demo 2>&1)
status=$?
[ "$status" -ne 0 ] || fail "a second instance started"
echo "$second" | grep -q "already running" || fail "a second instance said: $second"
echo "second instance refused: $second"

kill -TERM "$quotix_pid"
gone() { ! kill -0 "$quotix_pid" 2>/dev/null; }
retry 50 gone || fail "quotix did not quit on SIGTERM"
wait "$quotix_pid"
status=$?
[ "$status" -eq 0 ] || fail "quotix quit with status $status on SIGTERM"
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "quotix left files behind: $(ls -A "$XDG_RUNTIME_DIR")"
echo "PASS"
