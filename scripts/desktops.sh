#!/usr/bin/env bash
# Desktop matrix: starts each desktop session headless, runs "quotix --demo" in
# it, uses the tray item as that desktop's user would and prints one table.
# Not part of CI: it installs several desktops' worth of Debian packages.
#
#   scripts/desktops.sh [options] [QUOTIX_BINARY]
#     --list         name the sessions and exit
#     --only NAME    run one session (repeatable)
#     --keep-going   go on after a session that could not start
#     --publish      also copy small crops of the key screenshots to docs/images/
#     --out DIR      screenshots and logs (default build/desktops)
#     --limit SECS   time limit of one session (default 420)
#     --no-install   do not call apt-get
# The binary is QUOTIX_BINARY, else $QUOTIX_BIN, else an executable named
# quotix found under build/.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SELF="$ROOT/scripts/desktops.sh"

SESSIONS=(xfce kde-x11 kde-wayland gnome-x11 gnome-x11-plain gnome-wayland sway)
declare -A SESSION_TITLE=(
    [xfce]="XFCE 4.18 panel, X11"
    [kde-x11]="KDE Plasma 5.27, X11"
    [kde-wayland]="KDE Plasma 5.27, Wayland (nested kwin_wayland)"
    [gnome-x11]="GNOME Shell 43 + AppIndicator, X11"
    [gnome-x11-plain]="GNOME Shell 43 without AppIndicator, X11"
    [gnome-wayland]="GNOME Shell 43 + AppIndicator, Wayland headless"
    [sway]="sway + waybar, Wayland headless"
)
CHECKS=(item shot contrast open onscreen placed outside escape layout refresh quit notice)
declare -A CHECK_TITLE=(
    [item]="Item shown"
    [shot]="Screenshot"
    [contrast]="Icon 3:1"
    [notice]="No-tray notice"
    [open]="Click opens panel"
    [onscreen]="Panel on screen"
    [placed]="Panel at item"
    [outside]="Click outside closes"
    [escape]="Escape closes"
    [layout]="Menu layout"
    [refresh]="Menu Refresh"
    [quit]="Menu Quit ends it"
)

# A prefix that runs a command as the session's user (sway's throwaway user).
RUN=()
DESK_USER=
SCREEN_W=1280
SCREEN_H=800
# The panel must start within this many pixels of the item (or its bar).
NEAR=48

log() { printf '[desktops %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# ---------------------------------------------------------------------------
# Results: the child writes "row<TAB>check<TAB>value" and "row<TAB>note<TAB>text".

set_row() {
    ROW=$1
    SLUG=$(tr -c 'a-z0-9\n' '-' <<<"$1" | tr -s '-' | sed 's/-$//')
}
record() { printf '%s\t%s\t%s\n' "$ROW" "$1" "$2" >>"$RESULTS"; log "$ROW: $1 = $2"; }
note() {
    local text
    text=$(tr '\n\t|' '  /' <<<"$*" | tr -s ' ')
    printf '%s\tnote\t%s\n' "$ROW" "$text" >>"$RESULTS"
    log "$ROW: $text"
}
# A whole session that did not come up: every cell of its rows says so.
could_not_start() {
    local row
    for row in "$@"; do
        ROW=$row record start "could not start here"
    done
}

# ---------------------------------------------------------------------------
# Packages: one function per session, so each can be installed alone.

# The project's own installer; this script does not stop at the first error.
source "$ROOT/scripts/common.sh"
set +e
apt_install() {
    [ "${NO_INSTALL:-0}" = 1 ] && return 0
    quotix_install_packages "$@"
}

COMMON_PACKAGES=(xvfb xauth x11-utils xdotool imagemagick dbus dbus-x11 libglib2.0-bin strace
    fonts-dejavu-core fonts-noto-color-emoji qt6-wayland)
packages_xfce() { apt_install "${COMMON_PACKAGES[@]}" xfwm4 xfce4-panel xfce4-notifyd xfconf; }
packages_kde() {
    apt_install "${COMMON_PACKAGES[@]}" kwin-x11 kwin-wayland kded5 plasma-workspace plasma-desktop xwayland libcap2-bin \
        qtwayland5
}
packages_gnome() {
    apt_install "${COMMON_PACKAGES[@]}" gnome-shell gnome-shell-extension-appindicator dconf-gsettings-backend \
        dconf-service xwayland
}
packages_sway() { apt_install "${COMMON_PACKAGES[@]}" sway waybar grim wtype xwayland util-linux; }
declare -A SESSION_PACKAGES=(
    [xfce]=packages_xfce [kde-x11]=packages_kde [kde-wayland]=packages_kde [gnome-x11]=packages_gnome
    [gnome-x11-plain]=packages_gnome [gnome-wayland]=packages_gnome [sway]=packages_sway
)

# ---------------------------------------------------------------------------
# Pieces every session uses. They run in the child, whose process group the
# parent ends as a whole afterwards.

# A private home, runtime folder and session bus.
setup_env() {
    T=$(mktemp -d /tmp/quotix-desktops.XXXXXX)
    chmod 755 "$T"
    unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS SESSION_MANAGER \
        XDG_SESSION_TYPE XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP QT_QPA_PLATFORM GDK_BACKEND
    export HOME=$T/home XDG_RUNTIME_DIR=$T/run
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
    export XDG_STATE_HOME=$HOME/.local/state
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export NO_AT_BRIDGE=1 LANG=C.UTF-8
}

start_bus() {
    "${RUN[@]}" dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$T/session-bus.log" 2>&1 &
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
    wait_for 10 test -S "$XDG_RUNTIME_DIR/bus" || return 1
    # What the hosts call on the item and its menu, to report how each host talks.
    "${RUN[@]}" dbus-monitor --session "type='method_call',interface='org.kde.StatusNotifierItem'" \
        "type='method_call',interface='com.canonical.dbusmenu'" >"$T/monitor.log" 2>&1 &
}

# gnome-shell aborts where /run/systemd/seats exists but no system bus answers.
start_system_bus() {
    dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/system-bus" >"$T/system-bus.log" 2>&1 &
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system-bus"
    wait_for 10 test -S "$XDG_RUNTIME_DIR/system-bus"
}

# wait_for SECONDS COMMAND...: polls every quarter second.
wait_for() {
    local limit=$1 i
    shift
    for ((i = 0; i < limit * 4; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.25
    done
    return 1
}

# Xvfb picks a free display itself: other builds may hold the usual numbers.
start_xvfb() {
    rm -f "$T/displayfd"
    Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp 3>"$T/displayfd" >"$T/xvfb.log" 2>&1 &
    wait_for 15 test -s "$T/displayfd" || return 1
    DISPLAY=":$(head -n1 "$T/displayfd")"
    export DISPLAY
    wait_for 10 xdpyinfo
}

dbus_get() { # dbus_get DEST PATH INTERFACE PROPERTY
    "${RUN[@]}" gdbus call --session --dest "$1" --object-path "$2" --method org.freedesktop.DBus.Properties.Get "$3" "$4" 2>/dev/null
}

item_registered() {
    dbus_get org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        RegisteredStatusNotifierItems | grep -q "StatusNotifierItem-$QPID-"
}

# shot NAME: a screenshot of the whole screen, by the session's own means.
shot() {
    local file="$OUT/$SLUG-$1.png"
    if "$SHOOTER" "$file" && [ -s "$file" ]; then
        echo "$file"
        return 0
    fi
    rm -f "$file"
    return 1
}
shoot_x11() { import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# The bounding box (WxH+X+Y) of the leftmost thing that differs between two
# screenshots within the band Y0..Y1: a new tray item is added at the left of
# its tray, and neighbours that redraw themselves lie to its right.
diff_box() {
    local a=$1 b=$2 y0=$3 y1=$4 band=$(($4 - $3)) range
    convert "$a" "$b" -compose difference -composite -crop "${SCREEN_W}x${band}+0+$y0" +repage \
        -colorspace gray -threshold 8% "$T/mask.png" 2>/dev/null || return 1
    # Columns that hold any change; the first run of them, ending at a gap of 4.
    range=$(convert "$T/mask.png" -scale "${SCREEN_W}x1!" -depth 8 txt:- 2>/dev/null | awk -F'[,:() ]+' '
        NR > 1 { x = $1; on = ($4 + 0) > 0
            if (on && start == "") start = x
            if (on) last = x
            if (start != "" && !on && x - last >= 4) exit }
        END { if (start != "") print start, last }')
    [ -n "$range" ] || return 1
    local x0 x1 box w h x y
    read -r x0 x1 <<<"$range"
    # A black frame, so that a change filling the whole crop still trims to itself.
    box=$(convert "$T/mask.png" -crop "$((x1 - x0 + 1))x${band}+${x0}+0" +repage -bordercolor black -border 1 \
        -format '%@' info: 2>/dev/null)
    IFS='x+' read -r w h x y <<<"$box"
    [ -n "$h" ] && [ "$h" -gt 0 ] || return 1
    echo "${w}x${h}+$((x + x0 - 1))+$((y + y0 - 1))"
}

pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }

# X11 geometry of the first viewable window of the quotix process: "X Y W H".
quotix_x_window() {
    local id info
    for id in $("${RUN[@]}" xdotool search --all --pid "$QPID" 2>/dev/null); do
        info=$("${RUN[@]}" xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        local x y w h
        x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
        y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        w=$(awk '/Width:/ {print $2}' <<<"$info")
        h=$(awk '/Height:/ {print $2}' <<<"$info")
        # Only the panel is that wide; an XEmbed icon is not.
        [ "$w" -ge 200 ] || continue
        # The titled window is of the normal type; the anchored ones are a popup
        # menu or a utility window first (Qt lists normal after them as a fallback).
        local kind=frameless
        "${RUN[@]}" xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL' \
            && kind=normal
        echo "$x $y $w $h $kind $id"
        return 0
    done
    return 1
}
panel_x_open() { quotix_x_window >/dev/null; }
panel_x_closed() { ! quotix_x_window >/dev/null; }

start_quotix() { # start_quotix PLATFORM
    QHOME=$T/quotix-home-$1
    mkdir -p "$QHOME/.config" "$QHOME/.local/share" "$QHOME/.cache"
    [ ${#RUN[@]} -eq 0 ] || chown -R "$DESK_USER:" "$QHOME"
    "${RUN[@]}" env HOME="$QHOME" XDG_CONFIG_HOME="$QHOME/.config" XDG_DATA_HOME="$QHOME/.local/share" \
        XDG_CACHE_HOME="$QHOME/.cache" QT_QPA_PLATFORM="$1" "$QUOTIX_BIN" --demo >"$OUT/$SLUG-quotix.log" 2>&1 &
    QPID=$!
    ITEM_SERVICE="org.kde.StatusNotifierItem-$QPID-1"
}

stop_quotix() {
    [ -n "${QPID:-}" ] || return 0
    if kill -0 "$QPID" 2>/dev/null; then
        kill "$QPID" 2>/dev/null
        wait_for 5 bash -c "! kill -0 $QPID" || kill -9 "$QPID" 2>/dev/null
    fi
    wait "$QPID" 2>/dev/null
    QPID=
}

# The monitor's record of the host's calls since line $1, readably.
host_calls_since() {
    tail -n +"$1" "$T/monitor.log" | awk '
        /^method call/ { if (call != "") print call; call = ""; keep = 0
            if ($0 ~ /member=(Activate|SecondaryActivate|ContextMenu|Event|EventGroup|AboutToShow|AboutToShowGroup)/) {
                match($0, /member=[A-Za-z]+/); call = substr($0, RSTART + 7, RLENGTH - 7); keep = 1 }
            next }
        keep && /int32|string "|uint32/ { gsub(/^ +/, ""); call = call " " $0 }
        END { if (call != "") print call }' | tr -s ' ' | head -n 12
}
monitor_mark() { echo $(($(wc -l <"$T/monitor.log") + 1)); }

# Menu through com.canonical.dbusmenu, as the host would.
menu_path() {
    dbus_get "$ITEM_SERVICE" /StatusNotifierItem org.kde.StatusNotifierItem Menu | grep -o "'/[^']*'" | tr -d "'"
}
menu_id() { # menu_id LABEL
    grep -oP "<\(\d+, \{[^}]*'label': <'$1'>" "$T/layout.txt" | grep -oP '^<\(\K\d+' | head -n1
}
menu_click() { # menu_click Event|EventGroup ID
    local path
    path=$(menu_path)
    if [ "$1" = Event ]; then
        "${RUN[@]}" gdbus call --session --dest "$ITEM_SERVICE" --object-path "$path" --method com.canonical.dbusmenu.Event \
            "$2" clicked '<int32 0>' 'uint32 0' >"$T/menu-call.txt" 2>&1
    else
        "${RUN[@]}" gdbus call --session --dest "$ITEM_SERVICE" --object-path "$path" --method com.canonical.dbusmenu.EventGroup \
            "[(int32 $2, 'clicked', <int32 0>, uint32 0)]" >"$T/menu-call.txt" 2>&1
    fi
}

# A refresh shows as requests to the demo service: watch the first bytes the
# process writes (never more than "GET /xyz", so no header is ever seen).
count_requests_during() { # count_requests_during SECONDS COMMAND...
    local secs=$1
    shift
    strace -f -qq -p "$QPID" -e trace=write,writev,sendto,sendmsg -s 8 -o "$T/strace.txt" 2>/dev/null &
    local spid=$!
    sleep 1
    "$@"
    sleep "$secs"
    kill "$spid" 2>/dev/null
    wait "$spid" 2>/dev/null
    grep -c '"GET ' "$T/strace.txt" 2>/dev/null || true
    rm -f "$T/strace.txt"
}

# What the last menu call answered, in short.
call_said() {
    grep -oP "No such method '[A-Za-z]+'" "$T/menu-call.txt" 2>/dev/null | head -n1 | grep . ||
        head -c 120 "$T/menu-call.txt"
}

# The menu checks: the layout, Refresh and Quit with the host's own method.
check_menu() { # check_menu Event|EventGroup
    local method=$1 path
    path=$(menu_path)
    if [ -n "$path" ] && "${RUN[@]}" gdbus call --session --dest "$ITEM_SERVICE" --object-path "$path" \
        --method com.canonical.dbusmenu.GetLayout 0 'int32 -1' '@as []' >"$T/layout.txt" 2>&1 \
        && [ -n "$(menu_id Refresh)" ] && [ -n "$(menu_id Quit)" ]; then
        record layout PASS
    else
        record layout FAIL
        note "GetLayout: $(head -c 200 "$T/layout.txt")"
        return
    fi
    local requests
    requests=$(count_requests_during 3 menu_click "$method" "$(menu_id Refresh)")
    if [ "$requests" -gt 0 ]; then
        record refresh PASS
    else
        record refresh FAIL
        note "$method on Refresh: no request to the demo service; the call said: $(call_said)"
        # Tells a missing method from a refresh that does not reach the service.
        local other=Event
        [ "$method" = Event ] && other=EventGroup
        requests=$(count_requests_during 3 menu_click "$other" "$(menu_id Refresh)")
        note "the same click through $other made $requests request(s)"
    fi
    menu_click "$method" "$(menu_id Quit)"
    if wait_for 5 bash -c "! kill -0 $QPID"; then
        record quit PASS
    else
        record quit FAIL
        note "$method on Quit: the process kept running; the call said: $(call_said)"
    fi
}

# Where --publish crops the panel screenshot: the panel, the item and the
# bar between them.
crop_around() { # crop_around X Y W H ITEM_BOX BAR_Y0 BAR_Y1
    local x0=$1 y0=$2 x1=$(($1 + $3)) y1=$(($2 + $4)) iw ih ix iy
    if [ -n "$5" ]; then
        IFS='x+' read -r iw ih ix iy <<<"$5"
        x0=$((ix < x0 ? ix : x0)) x1=$((ix + iw > x1 ? ix + iw : x1))
    fi
    y0=$(($6 < y0 ? $6 : y0)) y1=$(($7 > y1 ? $7 : y1))
    x0=$((x0 - 16 < 0 ? 0 : x0 - 16)) y0=$((y0 < 0 ? 0 : y0))
    x1=$((x1 + 16 > SCREEN_W ? SCREEN_W : x1 + 16)) y1=$((y1 > SCREEN_H ? SCREEN_H : y1))
    echo "$((x1 - x0))x$((y1 - y0))+$x0+$y0" >"$OUT/$SLUG-panel.crop"
}

# WCAG contrast of the icon's marks as the screenshot shows them: the letters
# (the strongest grey in each column's upper part) and the band fills
# (the commonest saturated colour in its lower part, the bar's own colour left
# out) against what they sit on (the commonest colour of the icon: its plate,
# or the bar where there is none). Prints the figures; fails below 3:1.
icon_contrast() { # icon_contrast IMAGE ITEM_BOX BAR_HEX
    convert "$1" -crop "$2" +repage -depth 8 txt:- 2>/dev/null | python3 -c '
import collections, colorsys, re, sys
bar = sys.argv[1].lower()
pixels = {}
for line in sys.stdin:
    m = re.match(r"(\d+),(\d+):.*#([0-9A-Fa-f]{6})", line)
    if m:
        pixels[(int(m[1]), int(m[2]))] = m[3].lower()
if not pixels:
    print("no pixels"); sys.exit(1)
def lum(h):
    def c(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (int(h[i:i + 2], 16) for i in (0, 2, 4))
    return 0.2126 * c(r) + 0.7152 * c(g) + 0.0722 * c(b)
def ratio(a, b):
    la, lb = lum(a), lum(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)
def sat(h):
    return colorsys.rgb_to_hsv(*(int(h[i:i + 2], 16) / 255 for i in (0, 2, 4)))[1]
# The icon: what differs from the tray box corner colour (waybar pads its
# icon), as a square from its left (a label may follow it).
corner = pixels[(0, 0)]
marked = [(x, y) for (x, y), c in pixels.items() if c != corner]
if not marked:
    print("nothing drawn"); sys.exit(1)
left, top_y = min(x for x, _ in marked), min(y for _, y in marked)
size = max(y for _, y in marked) - top_y + 1
pixels = {(x - left, y - top_y): c for (x, y), c in pixels.items()
          if left <= x < left + size and top_y <= y < top_y + size}
behind = collections.Counter(pixels.values()).most_common(1)[0][0]
worst, parts = 99.0, []
for name, x0, x1 in (("left", 0, size // 2), ("right", size // 2, size)):
    top = collections.Counter(c for (x, y), c in pixels.items()
                              if x0 <= x < x1 and y < size * 2 // 5 and c not in (behind, bar) and sat(c) < 0.2)
    low = collections.Counter(c for (x, y), c in pixels.items()
                              if x0 <= x < x1 and y >= size // 3 and c not in (behind, bar) and sat(c) > 0.3)
    for what, found in (("letter", top), ("fill", low)):
        if found:
            # A fill is one colour; a letter scaled by the host is a core
            # among blended edges: its strongest colour seen twice or more.
            colour = found.most_common(1)[0][0]
            if what == "letter":
                colour = max((c for c, n in found.items() if n >= 2), key=lambda c: ratio(c, behind), default=colour)
            r = ratio(colour, behind)
            worst = min(worst, r)
            parts.append(f"{name} {what} #{colour} {r:.2f}:1")
print(f"on #{behind} (its plate or the bar): " + ", ".join(parts)
      + f"; that against the bar #{bar}: {ratio(behind, bar):.2f}:1")
sys.exit(0 if parts and worst >= 3.0 else 1)
' "$3"
}

# Whether the bar's screenshots before and after the start show the item:
# records the check and prints the item's box WxH+X+Y, or nothing.
judge_item_shot() { # judge_item_shot BEFORE AFTER BAR_Y0 BAR_Y1 WHY_NO_SCREENSHOT
    local before=$1 after=$2 box iw ih ix iy
    if [ -n "$before" ] && [ -n "$after" ] && box=$(diff_box "$before" "$after" "$3" "$4"); then
        record shot PASS
        IFS='x+' read -r iw ih ix iy <<<"$box"
        local bar contrast
        bar=$(pixel "$after" $((ix - 3)) $((iy + ih / 2)))
        note "icon drawn at $box (${iw}x${ih} px); bar colour beside it #$bar"
        if contrast=$(icon_contrast "$after" "$box" "$bar"); then
            record contrast PASS
        else
            record contrast FAIL
        fi
        note "contrast measured on the screenshot: $contrast"
        echo "$box"
    elif [ -n "$after" ]; then
        record shot FAIL
        record contrast "N.A."
        note "screenshot shows no new item in the bar"
    else
        record shot "N.A."
        record contrast "N.A."
        note "$5"
    fi
}

# The geometry checks of a panel at X Y W H against the item's box.
check_geometry() { # check_geometry X Y W H ITEM_BOX|"" BAR_Y0 BAR_Y1
    local x=$1 y=$2 w=$3 h=$4 box=$5 bar0=$6 bar1=$7
    if [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$SCREEN_W" ] && [ $((y + h)) -le "$SCREEN_H" ]; then
        record onscreen PASS
    else
        record onscreen FAIL
    fi
    note "panel at ${w}x${h}+${x}+${y} on a ${SCREEN_W}x${SCREEN_H} screen"
    crop_around "$x" "$y" "$w" "$h" "$box" "$bar0" "$bar1"
    if [ -z "$box" ]; then
        record placed "N.A."
        note "item's position unknown, placement not judged"
        return
    fi
    local iw ih ix iy
    IFS='x+' read -r iw ih ix iy <<<"$box"
    local cx=$((ix + iw / 2)) gap
    # Just below a top bar or just above a bottom one, not over it, and
    # reaching across the item.
    if [ "$bar0" -lt $((SCREEN_H / 2)) ]; then gap=$((y - bar1)); else gap=$((bar0 - (y + h))); fi
    if [ "$gap" -ge -2 ] && [ "$gap" -le "$NEAR" ] && [ "$cx" -ge $((x - NEAR)) ] && [ "$cx" -le $((x + w + NEAR)) ]; then
        record placed PASS
    else
        record placed FAIL
        note "panel is ${gap}px from the bar ($bar0..$bar1), item centre x=$cx"
    fi
}

# The whole X11 round: the host draws the item, xdotool clicks it like a person.
# x11_round BAR_Y0 BAR_Y1 MENU_METHOD; OPEN_CLICK is the xdotool gesture that
# activates the item on that host.
OPEN_CLICK=(click 1)
x11_round() {
    local bar0=$1 bar1=$2 method=$3 before after box=""
    before=$(shot before) || true
    start_quotix xcb
    if wait_for 25 item_registered; then
        record item PASS
    elif wait_for 5 panel_x_open; then
        record item FAIL
    else
        record item FAIL
        note "no StatusNotifierItem registered; quotix said: $(tail -n 3 "$OUT/$SLUG-quotix.log" | tr '\n' ' ')"
        stop_quotix
        return
    fi
    sleep 3 # the first refresh draws the figures
    after=$(shot tray) || true
    box=$(judge_item_shot "$before" "$after" "$bar0" "$bar1" "no screenshot possible")

    local mark
    mark=$(monitor_mark)
    local iw ih ix iy
    if [ -n "$box" ]; then
        IFS='x+' read -r iw ih ix iy <<<"$box"
        xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) "${OPEN_CLICK[@]}"
    fi
    if [ -n "$box" ] && wait_for 4 panel_x_open; then
        record open PASS
    else
        record open FAIL
        note "clicking the item showed no panel"
    fi
    note "host's calls on a left click: $(host_calls_since "$mark" | tr '\n' ';')"

    local geometry
    if geometry=$(quotix_x_window); then
        local x y w h
        read -r x y w h _ <<<"$geometry"
        sleep 1 # a compositing host draws the new window a frame later
        shot panel >/dev/null || true
        check_geometry "$x" "$y" "$w" "$h" "$box" "$bar0" "$bar1"
        # Far from the panel, on the side away from it.
        local ox=$((x > SCREEN_W / 2 ? 100 : SCREEN_W - 100))
        xdotool mousemove "$ox" $((SCREEN_H / 2)) click 1
        if wait_for 3 panel_x_closed; then record outside PASS; else record outside FAIL; fi
        panel_x_closed || xdotool key Escape
        wait_for 3 panel_x_closed
        sleep 0.5 # past the guard against reopening at once
        xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) "${OPEN_CLICK[@]}"
        if wait_for 4 panel_x_open; then
            xdotool key Escape
            if wait_for 3 panel_x_closed; then record escape PASS; else record escape FAIL; fi
        else
            record escape "N.A."
            note "the panel did not open a second time"
        fi
    else
        local c
        for c in onscreen placed outside escape; do record "$c" "N.A."; done
    fi
    if [ -n "$box" ]; then
        # The host's own menu: right click, then the second entry (Refresh) by keyboard.
        mark=$(monitor_mark)
        xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
        sleep 1.5
        shot menu >/dev/null || true
        # Hosts open their menu to either side of the item.
        local mx=$((ix + iw / 2 - 220)) my=0
        [ "$mx" -gt $((SCREEN_W - 440)) ] && mx=$((SCREEN_W - 440))
        [ "$mx" -lt 0 ] && mx=0
        [ "$bar0" -lt $((SCREEN_H / 2)) ] || my=$((SCREEN_H - 260))
        echo "440x260+$mx+$my" >"$OUT/$SLUG-menu.crop"
        xdotool key Down
        sleep 0.3
        xdotool key Down
        sleep 0.3
        xdotool key Return
        sleep 1.5
        note "host's calls on a right click and choosing Refresh: $(host_calls_since "$mark" | tr '\n' ';')"
        xdotool key Escape
    fi
    check_menu "$method"
    stop_quotix
}

# ---------------------------------------------------------------------------
# Sessions.

session_xfce() {
    set_row "xfce (xcb)"
    SHOOTER=shoot_x11
    start_xvfb && start_bus || { could_not_start "$ROW"; note "Xvfb or the session bus did not start"; return; }
    export XDG_CURRENT_DESKTOP=XFCE XDG_SESSION_DESKTOP=xfce
    # A top panel holding only a separator and the tray: without a stored
    # configuration xfce4-panel asks in a dialog which one to use.
    local conf="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$conf"
    cat >"$conf/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="true"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
EOF
    xfwm4 >"$T/xfwm4.log" 2>&1 &
    xfce4-panel >"$T/panel.log" 2>&1 &
    local notifyd
    notifyd=$(ls /usr/lib/*/xfce4/notifyd/xfce4-notifyd 2>/dev/null | head -n1)
    [ -n "$notifyd" ] && "$notifyd" >"$T/notifyd.log" 2>&1 &
    if ! wait_for 30 dbus_get org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        IsStatusNotifierHostRegistered; then
        could_not_start "$ROW"
        note "xfce4-panel's tray brought no StatusNotifierWatcher: $(tail -n 2 "$T/panel.log" | tr '\n' ' ')"
        return
    fi
    sleep 3
    x11_round 0 26 EventGroup
}

# Plasma's first start lays out its default desktop: a bottom panel with the
# tray. kded5 holds the StatusNotifierWatcher.
start_plasma() {
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    kded5 >"$T/kded5.log" 2>&1 &
    plasmashell --no-respawn >"$T/plasmashell.log" 2>&1 &
    # The tray registers itself as the host once the panel is up.
    wait_for 120 bash -c "gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered \
        | grep -q true"
}

session_kde_x11() {
    set_row "kde-x11 (xcb)"
    SHOOTER=shoot_x11
    start_xvfb && start_bus || { could_not_start "$ROW"; note "Xvfb or the session bus did not start"; return; }
    kwin_x11 >"$T/kwin.log" 2>&1 &
    wait_for 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window" || true
    if ! start_plasma; then
        could_not_start "$ROW"
        note "plasmashell's tray never registered as a host: $(tail -n 2 "$T/plasmashell.log" | tr '\n' ' ')"
        return
    fi
    sleep 10 # the panel settles after the host appears
    local bar
    bar=$(plasma_bar_top)
    x11_round "$bar" "$SCREEN_H" Event
}

# The top edge of Plasma's bottom panel, from its X11 window.
plasma_bar_top() {
    local id info y h
    for id in $(xdotool search --class plasmashell 2>/dev/null); do
        info=$("${RUN[@]}" xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        h=$(awk '/Height:/ {print $2}' <<<"$info")
        if [ "$h" -lt 100 ] && [ $((y + h)) -ge $((SCREEN_H - 2)) ]; then
            echo "$y"
            return
        fi
    done
    echo $((SCREEN_H - 44))
}

# GNOME Shell keeps its settings in dconf, reached over the session bus.
prepare_gnome() { # prepare_gnome WITH_APPINDICATOR
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome XDG_SESSION_TYPE=x11
    start_system_bus || return 1
    local extensions="[]"
    [ "$1" = 1 ] && extensions="['ubuntu-appindicators@ubuntu.com']"
    gsettings set org.gnome.shell disable-user-extensions false &&
        gsettings set org.gnome.shell enabled-extensions "$extensions" &&
        gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
}

session_gnome_x11() {
    set_row "gnome-x11 (xcb)"
    SHOOTER=shoot_x11
    start_xvfb && start_bus && prepare_gnome 1 || { could_not_start "$ROW"; note "Xvfb, a bus or dconf did not start"; return; }
    gnome-shell --x11 --replace >"$T/gnome-shell.log" 2>&1 &
    if ! wait_for 60 dbus_get org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        IsStatusNotifierHostRegistered; then
        could_not_start "$ROW"
        note "gnome-shell brought no StatusNotifierWatcher: $(grep -v '^$' "$T/gnome-shell.log" | tail -n 2 | tr '\n' ' ')"
        return
    fi
    sleep 5
    # The shell starts in the overview; a user closes it first.
    xdotool key Escape
    sleep 1
    # The extension opens the menu on a click and activates on a double click.
    OPEN_CLICK=(click --repeat 2 --delay 120 1)
    x11_round 0 32 Event
}

session_gnome_x11_plain() {
    set_row "gnome-x11-plain (xcb)"
    SHOOTER=shoot_x11
    start_xvfb && start_bus && prepare_gnome 0 || { could_not_start "$ROW"; note "Xvfb, a bus or dconf did not start"; return; }
    gnome-shell --x11 --replace >"$T/gnome-shell.log" 2>&1 &
    if ! wait_for 60 gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Peer.Ping; then
        could_not_start "$ROW"
        note "gnome-shell did not come up: $(grep -v '^$' "$T/gnome-shell.log" | tail -n 2 | tr '\n' ' ')"
        return
    fi
    sleep 5
    xdotool key Escape
    # No tray at all: quotix must say what to enable, keep running, and show
    # its item once the user enables the extension.
    dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
        >"$T/notify.log" 2>&1 &
    local monitor=$! started=$SECONDS c
    start_quotix xcb
    for c in "${CHECKS[@]}"; do record "$c" "N.A."; done
    sleep 14 # past its 10 s wait for a tray
    shot tray >/dev/null || true
    if kill -0 "$QPID" 2>/dev/null; then
        note "no tray: quotix still runs after $((SECONDS - started))s"
    else
        record item FAIL
        note "no tray: quotix ended after $((SECONDS - started))s"
    fi
    local summary
    summary=$(grep -c 'member=Notify' "$T/notify.log")
    note "desktop notifications sent: $summary; it says: $(head -c 200 "$OUT/$SLUG-quotix.log" | tr '\n' ' ')"
    if [ "$summary" -eq 1 ]; then record notice PASS; else record notice FAIL; fi
    record shot PASS
    kill "$monitor" 2>/dev/null
    # The user follows the advice: the extension comes on in the running shell.
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
    if kill -0 "$QPID" 2>/dev/null && wait_for 40 bash -c "gdbus call --session --dest org.kde.StatusNotifierWatcher \
        --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
        org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems | grep -q '$ITEM_SERVICE'"; then
        note "the item appeared $((SECONDS - started))s after the start, once the extension was enabled"
        sleep 3
        shot tray-later >/dev/null || true
    else
        record item FAIL
        note "the item did not appear after the extension was enabled"
        return
    fi
    # Turned off and on again while quotix runs, as a user who tries it out
    # would: judged by the item drawn in the top bar, not by the watcher's list
    # (the extension has listed items it then dropped).
    local cycles=10 drawn=0 i off
    for ((i = 1; i <= cycles; i++)); do
        gsettings set org.gnome.shell enabled-extensions "[]"
        wait_for 10 bash -c "! gdbus call --session --dest org.kde.StatusNotifierWatcher \
            --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Peer.Ping"
        sleep 1
        off=$(shot late-off) || break
        gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
        wait_for 15 item_drawn "$off" && drawn=$((drawn + 1))
    done
    note "extension turned off and on $cycles times while quotix ran: the item was drawn $drawn times; the shell logged" \
        "'Argument two may not be null' $(grep -c 'Argument two may not be null' "$T/gnome-shell.log") times"
    if [ "$drawn" -eq "$cycles" ]; then record item PASS; else record item FAIL; fi
}

# Whether the top bar's right part now shows something that the screenshot
# taken without the item lacks (the clock in the middle is left out).
item_drawn() { # item_drawn SCREENSHOT_WITHOUT_IT
    local now hide="rectangle 0,0,$((SCREEN_W / 2 + 120)),32"
    now=$(shot late-on) || return 1
    convert "$1" -fill black -draw "$hide" "$T/off-right.png" &&
        convert "$now" -fill black -draw "$hide" "$T/on-right.png" &&
        diff_box "$T/off-right.png" "$T/on-right.png" 0 32 >/dev/null
}

# The item's Activate, called the way a host without a pointer here would.
activate_item() { # activate_item X Y
    "${RUN[@]}" gdbus call --session --dest "$ITEM_SERVICE" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate "int32 $1" "int32 $2" >/dev/null 2>&1
}

# A Wayland round: X clients are seen through XWayland, native ones through
# the compositor. PANEL_GEOMETRY prints "X Y W H" of quotix's panel window;
# CLICK_AT X Y clicks with the compositor's own pointer where it has one;
# PRESS_ESCAPE types Escape into the focused window.
# wayland_round PLATFORM BAR_Y0 BAR_Y1 MENU_METHOD ACTIVATE_X ACTIVATE_Y
wayland_round() {
    local platform=$1 bar0=$2 bar1=$3 method=$4 ax=$5 ay=$6 before after box=""
    QT_PLATFORM=$platform
    # A host may keep drawing the previous round's item for a moment.
    [ "${ROUNDS:-0}" -eq 0 ] || sleep 4
    ROUNDS=$((${ROUNDS:-0} + 1))
    before=$(shot before) || true
    start_quotix "$platform"
    if wait_for 25 item_registered; then
        record item PASS
    else
        record item FAIL
        note "no StatusNotifierItem registered; quotix said: $(tail -n 3 "$OUT/$SLUG-quotix.log" | tr '\n' ' ')"
        stop_quotix
        return
    fi
    sleep 3
    after=$(shot tray) || true
    local iw=0 ih=0 ix=0 iy=0
    box=$(judge_item_shot "$before" "$after" "$bar0" "$bar1" "the compositor gives no screenshot here")
    [ -z "$box" ] || IFS='x+' read -r iw ih ix iy <<<"$box"

    # A real click where the compositor can make one, else the host's call.
    local mark opened_by=""
    mark=$(monitor_mark)
    if [ -n "$box" ] && "${OPEN_AT:-$CLICK_AT}" $((ix + iw / 2)) $((iy + ih / 2)) \
        && wait_for 3 bash -c "tail -n +$mark '$T/monitor.log' | grep -q member=Activate"; then
        opened_by="a pointer click on the item"
    else
        activate_item "$ax" "$ay"
        opened_by="D-Bus Activate($ax, $ay) as the host sends it"
    fi
    local geometry=""
    if wait_for 4 "$PANEL_GEOMETRY" && geometry=$("$PANEL_GEOMETRY"); then
        record open PASS
    else
        record open FAIL
    fi
    note "opened with $opened_by; host's calls: $(host_calls_since "$mark" | tr '\n' ';')"

    if [ -n "$geometry" ]; then
        local x y w h kind
        local wid
        read -r x y w h kind wid <<<"$geometry"
        note "Qt on $platform: the panel is a window of type ${kind:-unknown}"
        sleep 1
        shot panel >/dev/null || true
        check_geometry "$x" "$y" "$w" "$h" "$box" "$bar0" "$bar1"
        # For the next person: what the X window asked the window manager for.
        if [ "$platform" = xcb ] && [ -n "$wid" ] && [ "$(result_of placed)" = FAIL ]; then
            note "the X window's hints: $("${RUN[@]}" xprop -id "$wid" WM_NORMAL_HINTS _NET_WM_WINDOW_TYPE 2>&1 | tr '\n\t' '  ')"
        fi
        # No Wayland client may place a window of its own: there the honest
        # panel is a normal window that the compositor places.
        # Under XWayland, a host's item-relative point gets that titled window too.
        if [ -n "$kind" ] && [ "$kind" != unknown ] && [ "$kind" != frameless ] \
            && [ "$(result_of placed)" = FAIL ]; then
            record placed "PASS (normal window)"
        fi
        local ox=$((x > SCREEN_W / 2 ? 100 : SCREEN_W - 100))
        if "$CLICK_AT" "$ox" $((SCREEN_H - 100)); then
            if wait_for 3 panel_gone; then
                record outside PASS
            elif [ -n "${CLICK_OTHER_WINDOW:-}" ]; then
                # Some shells keep the focus on a click on the bare desktop, for
                # every window alike; a click on another program's window is the
                # click outside that their users make.
                note "after a click on the bare desktop the focus was on: $("$FOCUS_OWNER")"
                if "$CLICK_OTHER_WINDOW" && wait_for 3 panel_gone; then
                    record outside "PASS (click on a window)"
                else
                    record outside FAIL
                fi
            else
                record outside FAIL
            fi
        else
            record outside "N.A."
            note "no pointer to click outside with"
        fi
        # Whether Escape reaches a fresh panel can depend on when the
        # compositor hands it the focus: try twice, and say so when it differs.
        local attempt closed=0 opened=0
        for attempt in 1 2; do
            if ! panel_gone; then
                "$PRESS_ESCAPE"
                wait_for 2 panel_gone || { activate_item "$ax" "$ay"; wait_for 3 panel_gone; }
            fi
            sleep 0.5
            activate_item "$ax" "$ay"
            wait_for 4 "$PANEL_GEOMETRY" || continue
            opened=$((opened + 1))
            sleep 1 # a person takes this long at least
            "$PRESS_ESCAPE"
            if wait_for 3 panel_gone; then
                closed=$((closed + 1))
            elif [ -n "${FOCUS_OWNER:-}" ]; then
                note "Escape $attempt missed; the focus was on: $("$FOCUS_OWNER")"
            fi
        done
        if [ "$opened" -eq 0 ]; then
            record escape "N.A."
            note "the panel did not open again"
        elif [ "$closed" -eq "$opened" ]; then
            record escape PASS
        elif [ "$closed" -eq 0 ]; then
            record escape FAIL
        else
            record escape "FAIL ($closed of $opened)"
            note "Escape closed the panel $closed of $opened times"
        fi
        panel_gone || activate_item "$ax" "$ay" # closed for the menu checks
    else
        local c
        for c in onscreen placed outside escape; do record "$c" "N.A."; done
    fi
    check_menu "$method"
    stop_quotix
}
panel_gone() { ! "$PANEL_GEOMETRY" >/dev/null 2>&1; }
# The last result recorded for a check of this row.
result_of() { awk -F'\t' -v r="$ROW" -v c="$1" '$1 == r && $2 == c { v = $3 } END { print v }' "$RESULTS"; }

# sway: X clients through XWayland, native ones in the compositor's tree.
sway_panel_geometry() {
    if [ "$QT_PLATFORM" = xcb ]; then
        DISPLAY=$XWAYLAND_DISPLAY quotix_x_window
        return
    fi
    "${RUN[@]}" swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
for node in walk(json.load(sys.stdin)):
    if node.get("pid") == int(sys.argv[1]) and node.get("visible"):
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], node["type"])
        sys.exit(0)
sys.exit(1)' "$QPID"
}
sway_click_at() {
    "${RUN[@]}" swaymsg "seat seat0 cursor set $1 $2" >/dev/null 2>&1 &&
        "${RUN[@]}" swaymsg "seat seat0 cursor press button1" >/dev/null 2>&1 &&
        "${RUN[@]}" swaymsg "seat seat0 cursor release button1" >/dev/null 2>&1
}
sway_focus_owner() {
    "${RUN[@]}" swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
names = ["%s (%s, pid %s)" % (n.get("name"), n.get("shell"), n.get("pid"))
         for n in walk(json.load(sys.stdin)) if n.get("focused")]
print(", ".join(names) or "nothing")'
}
# wtype brings a keyboard of its own with each call; the pauses let the
# focused client take its keymap before the key, and the key before it goes.
sway_escape() { "${RUN[@]}" wtype -s 300 -k Escape -s 300 >/dev/null 2>&1; }
shoot_sway() { "${RUN[@]}" grim - >"$1" 2>/dev/null; }

session_sway() {
    SHOOTER=shoot_sway
    set_row "sway (xcb)"
    # sway will not run as root: a throwaway user owns the whole session.
    DESK_USER=quotixdesk$$
    if ! useradd --system --no-create-home --home-dir "$HOME" --shell /usr/sbin/nologin "$DESK_USER"; then
        could_not_start "$ROW" "sway (wayland)"
        note "could not create a user to run sway as"
        return
    fi
    trap 'kill $(jobs -p) 2>/dev/null; sleep 0.5; userdel -f "$DESK_USER" 2>/dev/null; cp "$T"/*.log "$LOGS"/ 2>/dev/null
        rm -rf "$T"' EXIT
    RUN=(setpriv --reuid="$DESK_USER" --regid="$(id -g "$DESK_USER")" --clear-groups)
    mkdir -p "$XDG_CONFIG_HOME/sway" "$XDG_CONFIG_HOME/waybar"
    printf '%s\n' "xwayland enable" "output HEADLESS-1 resolution ${SCREEN_W}x${SCREEN_H}" \
        "exec echo \$DISPLAY >$XDG_RUNTIME_DIR/xdisplay" >"$XDG_CONFIG_HOME/sway/config"
    printf '%s\n' '{ "layer": "top", "position": "top", "height": 26, "modules-right": ["tray"],' \
        '  "tray": { "icon-size": 18, "spacing": 8 } }' >"$XDG_CONFIG_HOME/waybar/config"
    chown -R "$DESK_USER:" "$HOME" "$XDG_RUNTIME_DIR"
    start_bus || { could_not_start "$ROW" "sway (wayland)"; note "the session bus did not start"; return; }
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        "${RUN[@]}" sway -c "$XDG_CONFIG_HOME/sway/config" >"$T/sway.log" 2>&1 &
    if ! wait_for 20 bash -c "ls $XDG_RUNTIME_DIR/wayland-* && ls $XDG_RUNTIME_DIR/sway-ipc.*.sock && test -s $XDG_RUNTIME_DIR/xdisplay"; then
        could_not_start "$ROW" "sway (wayland)"
        note "sway did not start: $(tail -n 3 "$T/sway.log" | tr '\n' ' ')"
        return
    fi
    local socket
    for socket in "$XDG_RUNTIME_DIR"/wayland-*; do
        [[ $socket == *.lock ]] || WAYLAND_DISPLAY=$(basename "$socket")
    done
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)
    XWAYLAND_DISPLAY=$(cat "$XDG_RUNTIME_DIR/xdisplay")
    export WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
    "${RUN[@]}" waybar >"$T/waybar.log" 2>&1 &
    if ! wait_for 20 dbus_get org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        IsStatusNotifierHostRegistered; then
        could_not_start "$ROW" "sway (wayland)"
        note "waybar's tray brought no StatusNotifierWatcher: $(tail -n 3 "$T/waybar.log" | tr '\n' ' ')"
        return
    fi
    sleep 2
    PANEL_GEOMETRY=sway_panel_geometry CLICK_AT=sway_click_at PRESS_ESCAPE=sway_escape FOCUS_OWNER=sway_focus_owner
    # waybar passes coordinates relative to the item, such as (10, 17).
    DISPLAY=$XWAYLAND_DISPLAY wayland_round xcb 0 26 EventGroup 10 17
    set_row "sway (wayland)"
    wayland_round wayland 0 26 EventGroup 10 17
}

# KDE on Wayland: kwin_wayland draws into a window on Xvfb and takes that
# window's pointer and keys as its own, so xdotool on Xvfb is a real user's
# hand in the Wayland session.
kde_click_at() { DISPLAY=$XVFB_DISPLAY xdotool mousemove "$1" "$2" click 1; }
kde_escape() { DISPLAY=$XVFB_DISPLAY xdotool key Escape; }
shoot_xvfb() { import -display "$XVFB_DISPLAY" -window root "$1" 2>/dev/null; }

# KWin lists its windows to a script; print() lands in its log.
KWIN_PROBES=0
kwin_windows() {
    KWIN_PROBES=$((KWIN_PROBES + 1))
    local name="quotixprobe$KWIN_PROBES" id mark
    cat >"$T/probe.js" <<'EOF'
const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    const c = clients[i];
    print("QUOTIXWIN " + c.pid + " " + Math.round(c.x) + " " + Math.round(c.y) + " " + Math.round(c.width) + " "
        + Math.round(c.height) + " " + (c.dock ? "dock" : c.normalWindow ? "normal" : c.popupWindow ? "popup" : "other")
        + " " + c.resourceClass);
}
print("QUOTIXEND");
EOF
    mark=$(($(wc -l <"$T/kwin.log") + 1))
    id=$(gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.loadScript \
        "$T/probe.js" "$name" 2>/dev/null | grep -oP '\d+' | head -n1)
    [ -n "$id" ] || return 1
    # start() runs the scripts loaded but not yet running: this one.
    gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.start >/dev/null 2>&1
    wait_for 3 bash -c "tail -n +$mark '$T/kwin.log' | grep -q QUOTIXEND"
    gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.unloadScript \
        "$name" >/dev/null 2>&1
    tail -n +"$mark" "$T/kwin.log" | grep -oP 'QUOTIXWIN \K.*'
}
kde_panel_geometry() {
    if [ "$QT_PLATFORM" = xcb ]; then
        DISPLAY=$XWAYLAND_DISPLAY quotix_x_window
        return
    fi
    kwin_windows | awk -v pid="$QPID" '$1 == pid && $4 >= 200 {print $2, $3, $4, $5, $6; found = 1; exit} END {exit !found}'
}

session_kde_wayland() {
    set_row "kde-wayland (xcb)"
    SHOOTER=shoot_xvfb
    start_xvfb && start_bus || { could_not_start "$ROW" "kde-wayland (wayland)"; note "Xvfb or the session bus did not start"; return; }
    XVFB_DISPLAY=$DISPLAY
    local socket="quotix-kde-$$"
    # KWin starts this once XWayland is up, with DISPLAY naming it.
    printf '%s\n' '#!/bin/sh' "echo \"\$DISPLAY\" >$T/xdisplay" 'exec sleep 100000' >"$T/session.sh"
    chmod +x "$T/session.sh"
    # Debian gives kwin_wayland a file capability (cap_sys_resource); where the
    # container's bounding set lacks it, exec fails. A plain copy has none.
    local kwin=kwin_wayland
    if ! capsh --has-b=cap_sys_resource 2>/dev/null && getcap /usr/bin/kwin_wayland 2>/dev/null | grep -q cap_; then
        cp /usr/bin/kwin_wayland "$T/kwin_wayland"
        kwin=$T/kwin_wayland
    fi
    KWIN_COMPOSE=Q QT_LOGGING_RULES="kwin_scripting=true" "$kwin" --x11-display "$XVFB_DISPLAY" \
        --width "$SCREEN_W" --height "$SCREEN_H" --xwayland --socket "$socket" \
        --exit-with-session "$T/session.sh" >"$T/kwin.log" 2>&1 &
    if ! wait_for 40 test -s "$T/xdisplay"; then
        could_not_start "$ROW" "kde-wayland (wayland)"
        note "kwin_wayland did not start: $(grep -v '^$' "$T/kwin.log" | tail -n 2 | tr '\n' ' ')"
        return
    fi
    XWAYLAND_DISPLAY=$(cat "$T/xdisplay")
    export WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland
    unset DISPLAY
    # Plasma's own parts are Wayland clients; quotix on xcb gets XWayland.
    if ! QT_QPA_PLATFORM=wayland start_plasma; then
        could_not_start "$ROW" "kde-wayland (wayland)"
        note "plasmashell's tray never registered as a host: $(tail -n 2 "$T/plasmashell.log" | tr '\n' ' ')"
        return
    fi
    sleep 10
    local bar
    bar=$(kwin_windows | awk '$6 == "dock" && $3 > 400 {print $3; exit}')
    bar=${bar:-$((SCREEN_H - 44))}
    note "Plasma's panel starts at y=$bar"
    PANEL_GEOMETRY=kde_panel_geometry CLICK_AT=kde_click_at PRESS_ESCAPE=kde_escape
    # Plasma passes where the pointer is, in global coordinates.
    DISPLAY=$XWAYLAND_DISPLAY wayland_round xcb "$bar" "$SCREEN_H" Event $((SCREEN_W - 200)) $((SCREEN_H - 20))
    set_row "kde-wayland (wayland)"
    wayland_round wayland "$bar" "$SCREEN_H" Event $((SCREEN_W - 200)) $((SCREEN_H - 20))
}

# GNOME on Wayland, headless: it has no X root to photograph and no pointer.
# A small extension of ours turns on the shell's unsafe mode, which opens its
# Eval and Screenshot calls to us; Eval then drives Clutter's virtual input
# devices, which the shell treats as a real mouse and keyboard.
install_gnome_probe() {
    local dir="$XDG_DATA_HOME/gnome-shell/extensions/quotix-probe@quotix.local"
    mkdir -p "$dir"
    printf '%s\n' '{"uuid": "quotix-probe@quotix.local", "name": "Quotix desktop probe",' \
        ' "description": "Lets scripts/desktops.sh look and click", "shell-version": ["43"]}' >"$dir/metadata.json"
    printf '%s\n' 'function init() {}' 'function enable() { global.context.unsafe_mode = true; }' \
        'function disable() { global.context.unsafe_mode = false; }' >"$dir/extension.js"
}
gnome_eval() { # prints the JSON the script's value became
    local out
    out=$(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval \
        "$1" 2>/dev/null) || return 1
    [[ $out == "(true, "* ]] || return 1
    out=${out#"(true, '"}
    printf '%s\n' "${out%"')"}"
}
GNOME_INPUT='const Clutter = imports.gi.Clutter, GLib = imports.gi.GLib;
const seat = Clutter.get_default_backend().get_default_seat();
global._quotixPointer = global._quotixPointer || seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
global._quotixKeys = global._quotixKeys || seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
const now = () => GLib.get_monotonic_time();
function click(x, y, times) {
    global._quotixPointer.notify_absolute_motion(now(), x, y);
    for (let i = 0; i < times; ++i) {
        global._quotixPointer.notify_button(now(), Clutter.BUTTON_PRIMARY, Clutter.ButtonState.PRESSED);
        global._quotixPointer.notify_button(now(), Clutter.BUTTON_PRIMARY, Clutter.ButtonState.RELEASED);
    }
}
function key(keyval) {
    global._quotixKeys.notify_keyval(now(), keyval, Clutter.KeyState.PRESSED);
    global._quotixKeys.notify_keyval(now(), keyval, Clutter.KeyState.RELEASED);
}'
# Another program's window, clicked as a user turns to it: xmessage through XWayland.
gnome_click_other_window() {
    DISPLAY=$XWAYLAND_DISPLAY xmessage -geometry 320x120+120+560 "another program" >/dev/null 2>&1 &
    local pid=$! rect=""
    wait_for 5 bash -c "DISPLAY=$XWAYLAND_DISPLAY xdotool search --class Xmessage" || { kill "$pid"; return 1; }
    sleep 1
    rect=$(gnome_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_wm_class() == 'Xmessage').map(w => { const r = w.get_frame_rect(); return [r.x + r.width / 2, r.y + r.height / 2].join(' '); }).join('')" | tr -d '"')
    local ok=1
    [ -n "$rect" ] && gnome_click_at ${rect% *} ${rect#* } && ok=0
    sleep 1
    kill "$pid" 2>/dev/null
    return $ok
}
gnome_focus_owner() {
    gnome_eval "global.display.focus_window ? global.display.focus_window.get_title() : 'no window'" | tr -d '"'
}
gnome_click_at() { gnome_eval "$GNOME_INPUT click($1, $2, 1); true" >/dev/null; }
gnome_double_click_at() { gnome_eval "$GNOME_INPUT click($1, $2, 2); true" >/dev/null; }
gnome_escape() { gnome_eval "$GNOME_INPUT key(Clutter.KEY_Escape); true" >/dev/null; }
shoot_gnome() {
    rm -f "$T/shot.png"
    gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
        --method org.gnome.Shell.Screenshot.Screenshot false false "$T/shot.png" >/dev/null 2>&1 &&
        mv "$T/shot.png" "$1"
}
gnome_xwayland_ready() { gnome_eval "imports.gi.GLib.getenv('XAUTHORITY')" | grep -q /; }
gnome_panel_geometry() {
    if [ "$QT_PLATFORM" = xcb ]; then
        DISPLAY=$XWAYLAND_DISPLAY quotix_x_window
        return
    fi
    gnome_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == $QPID && w.showing_on_its_workspace()).map(w => { const r = w.get_frame_rect(); return [r.x, r.y, r.width, r.height, w.get_window_type() == 0 ? 'normal' : 'type' + w.get_window_type()].join(' '); }).join(';')" |
        tr -d '"' | tr ';' '\n' | awk '$3 >= 200 {print; found = 1; exit} END {exit !found}'
}

session_gnome_wayland() {
    set_row "gnome-wayland (xcb)"
    SHOOTER=shoot_gnome
    start_bus && prepare_gnome 1 || { could_not_start "$ROW" "gnome-wayland (wayland)"; note "a bus or dconf did not start"; return; }
    install_gnome_probe
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com', 'quotix-probe@quotix.local']"
    export XDG_SESSION_TYPE=wayland
    local socket="quotix-gnome-$$"
    gnome-shell --wayland --headless --virtual-monitor "${SCREEN_W}x${SCREEN_H}" --wayland-display "$socket" \
        >"$T/gnome-shell.log" 2>&1 &
    if ! wait_for 60 dbus_get org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        IsStatusNotifierHostRegistered; then
        could_not_start "$ROW" "gnome-wayland (wayland)"
        note "gnome-shell brought no StatusNotifierWatcher: $(grep -v '^$' "$T/gnome-shell.log" | tail -n 2 | tr '\n' ' ')"
        return
    fi
    export WAYLAND_DISPLAY=$socket
    if ! wait_for 20 gnome_eval 'true'; then
        could_not_start "$ROW" "gnome-wayland (wayland)"
        note "the shell's Eval stayed closed (unsafe mode not on), so nothing can be seen or clicked"
        return
    fi
    # mutter sets XWayland's display and cookie file in its own environment
    # for the clients it starts.
    wait_for 20 gnome_xwayland_ready || true
    XWAYLAND_DISPLAY=$(gnome_eval "imports.gi.GLib.getenv('DISPLAY')" | tr -d '"' | grep -v null)
    export XAUTHORITY
    XAUTHORITY=$(gnome_eval "imports.gi.GLib.getenv('XAUTHORITY')" | tr -d '"' | grep -v null)
    sleep 3
    gnome_escape # out of the overview the shell starts in
    sleep 1
    PANEL_GEOMETRY=gnome_panel_geometry CLICK_AT=gnome_click_at PRESS_ESCAPE=gnome_escape
    CLICK_OTHER_WINDOW=gnome_click_other_window FOCUS_OWNER=gnome_focus_owner
    # A double click activates; GNOME passes global coordinates.
    OPEN_AT=gnome_double_click_at
    if [ -n "$XWAYLAND_DISPLAY" ]; then
        DISPLAY=$XWAYLAND_DISPLAY wayland_round xcb 0 32 Event $((SCREEN_W - 200)) 16
    else
        could_not_start "$ROW"
        note "no XWayland display found"
    fi
    set_row "gnome-wayland (wayland)"
    wayland_round wayland 0 32 Event $((SCREEN_W - 200)) 16
}

# ---------------------------------------------------------------------------
# Parent: runs each session as its own process group under a time limit.

child_main() {
    local name=$1
    setup_env
    trap 'exit 143' TERM
    # The desktop's own logs stay beside the screenshots.
    LOGS="$OUT/$name-logs"
    rm -rf "$LOGS"
    mkdir -p "$LOGS"
    trap 'kill $(jobs -p) 2>/dev/null; sleep 0.5; cp "$T"/*.log "$LOGS"/ 2>/dev/null; rm -rf "$T"' EXIT
    "session_${name//-/_}"
}

# The rows in the order of the sessions, whatever order they were run in.
result_rows() {
    local s
    for s in "${SESSIONS[@]}"; do
        awk -F'\t' -v s="$s" '($1 == s || index($1, s " (") == 1) && !seen[$1]++ {print $1}' "$1"
    done
}

render_table() {
    local results=$1 row c v line
    local header="| Desktop (Qt platform) |" rule="|---|"
    for c in "${CHECKS[@]}"; do
        header+=" ${CHECK_TITLE[$c]} |"
        rule+="---|"
    done
    echo "$header"
    echo "$rule"
    while IFS= read -r row; do
        line="| $row |"
        local start
        start=$(awk -F'\t' -v r="$row" '$1 == r && $2 == "start" {print $3}' "$results" | tail -n1)
        for c in "${CHECKS[@]}"; do
            if [ -n "$start" ]; then
                v=$start
            else
                v=$(awk -F'\t' -v r="$row" -v c="$c" '$1 == r && $2 == c {print $3}' "$results" | tail -n1)
            fi
            line+=" ${v:-N.A.} |"
        done
        echo "$line"
    done < <(result_rows "$results")
}

render_notes() {
    local results=$1 row
    while IFS= read -r row; do
        echo "- **$row**"
        awk -F'\t' -v r="$row" '$1 == r && $2 == "note" {print "  - " $3}' "$results"
    done < <(result_rows "$results")
}

find_quotix() {
    local candidate
    for candidate in "${1:-}" "${QUOTIX_BIN:-}"; do
        [ -n "$candidate" ] && [ -x "$candidate" ] && { realpath "$candidate"; return 0; }
    done
    # The shallowest one, wherever the build puts its executables.
    candidate=$(find "$ROOT/build" -type f -name quotix -perm -u+x 2>/dev/null | awk '{print length, $0}' | sort -n |
        head -n1 | cut -d' ' -f2-)
    [ -n "$candidate" ] && { echo "$candidate"; return 0; }
    return 1
}

main() {
    local only=() keep_going=0 publish=0 limit=420 binary=""
    OUT=$ROOT/build/desktops
    while [ $# -gt 0 ]; do
        case "$1" in
            --list)
                local s
                for s in "${SESSIONS[@]}"; do printf '%-16s %s\n' "$s" "${SESSION_TITLE[$s]}"; done
                return 0 ;;
            --only) only+=("$2"); shift ;;
            --keep-going) keep_going=1 ;;
            --publish) publish=1 ;;
            --out) OUT=$2; shift ;;
            --limit) limit=$2; shift ;;
            --no-install) export NO_INSTALL=1 ;;
            --child) shift; export OUT RESULTS=$2 QUOTIX_BIN=$3; child_main "$1"; return ;;
            -h | --help) sed -n '2,/^set -u/p' "$SELF" | sed '$d' | sed 's/^# \{0,1\}//'; return 0 ;;
            -*) echo "desktops.sh: unknown option $1" >&2; return 2 ;;
            *) binary=$1 ;;
        esac
        shift
    done
    local s
    for s in "${only[@]}"; do
        [ -n "${SESSION_TITLE[$s]:-}" ] || { echo "desktops.sh: no session named $s (see --list)" >&2; return 2; }
    done
    [ ${#only[@]} -gt 0 ] || only=("${SESSIONS[@]}")
    QUOTIX_BIN=$(find_quotix "$binary") || {
        echo "desktops.sh: no quotix binary; build it, or pass its path (or set QUOTIX_BIN)" >&2
        return 2
    }
    mkdir -p "$OUT"
    OUT=$(realpath "$OUT")
    # Rows of sessions not run this time stay from earlier runs into the same folder.
    local results="$OUT/results.tsv"
    touch "$results"
    for s in "${only[@]}"; do
        awk -F'\t' -v s="$s" '$1 != s && index($1, s " (") != 1' "$results" >"$results.new"
        mv "$results.new" "$results"
    done
    log "quotix: $QUOTIX_BIN; screenshots and logs in $OUT"

    local failed=0
    for s in "${only[@]}"; do
        if ! "${SESSION_PACKAGES[$s]}"; then
            printf '%s\tstart\tcould not start here\n%s\tnote\tits packages did not install\n' "$s" "$s" >>"$results"
            failed=1
            [ "$keep_going" = 1 ] || break
            continue
        fi
        log "session $s (${SESSION_TITLE[$s]}), at most ${limit}s"
        local lines_before
        lines_before=$(wc -l <"$results")
        # Its own process group, so whatever the session started ends with it.
        setsid bash "$SELF" --child "$s" "$results" "$QUOTIX_BIN" &
        local child=$! waited=0
        while kill -0 "$child" 2>/dev/null && [ "$waited" -lt "$limit" ]; do
            sleep 1
            waited=$((waited + 1))
        done
        if kill -0 "$child" 2>/dev/null; then
            printf '%s\tnote\tstopped at the time limit of %ss\n' "$s" "$limit" >>"$results"
            failed=1
        fi
        kill -TERM -- "-$child" 2>/dev/null
        sleep 3 # the child's own clean-up copies the logs and removes its folder
        kill -KILL -- "-$child" 2>/dev/null
        wait "$child" 2>/dev/null
        if ! tail -n +"$((lines_before + 1))" "$results" | grep -qv $'\tnote\t'; then
            printf '%s\tstart\tcould not start here\n%s\tnote\tthe session recorded nothing\n' "$s" "$s" >>"$results"
        fi
        if grep -q $'\tstart\tcould not start here' <(tail -n +"$((lines_before + 1))" "$results"); then
            failed=1
            [ "$keep_going" = 1 ] || break
        fi
    done

    local table
    table=$(render_table "$results")
    echo "$table"
    write_doc "$results" "$table"
    [ "$publish" = 1 ] && publish_images
    return "$failed"
}

write_doc() {
    local results=$1 table=$2 doc="$ROOT/docs/desktops.md"
    {
        echo "# Quotix on Linux desktops"
        echo
        echo "Made by \`scripts/desktops.sh\` on $(date -u +%Y-%m-%d) with \`quotix --demo\`; each desktop ran headless"
        echo "on a private session bus. PASS and FAIL are what the script saw; N.A. means the check cannot be made there."
        echo
        echo "$table"
        echo
        echo "## Notes from this run"
        echo
        render_notes "$results"
    } >"$doc.new"
    # A run of some sessions keeps the other sessions' hand-written part.
    if [ -f "$doc" ] && grep -q '^## Hosts' "$doc"; then
        sed -n '/^## Hosts/,$p' "$doc" >>"$doc.new"
    fi
    mv "$doc.new" "$doc"
}

publish_images() {
    mkdir -p "$ROOT/docs/images"
    local f slug crop
    for f in "$OUT"/*-panel.png; do
        [ -f "$f" ] || continue
        slug=$(basename "$f" -panel.png)
        crop=$(cat "$OUT/$slug-panel.crop" 2>/dev/null) || crop="${SCREEN_W}x${SCREEN_H}+0+0"
        convert "$f" -crop "$crop" +repage -strip +dither -colors 96 "PNG8:$ROOT/docs/images/desktop-$slug.png"
    done
    # The host's own menu, where a session took one: the item and what hangs from it.
    for f in "$OUT"/*-menu.png; do
        [ -f "$f" ] || continue
        slug=$(basename "$f" -menu.png)
        crop=$(cat "$OUT/$slug-menu.crop" 2>/dev/null) || crop="${SCREEN_W}x${SCREEN_H}+0+0"
        convert "$f" -crop "$crop" +repage -strip +dither -colors 96 \
            "PNG8:$ROOT/docs/images/desktop-$slug-menu.png"
    done
}

# Sourcing the file only defines its functions.
[ "${BASH_SOURCE[0]}" = "$0" ] && main "$@"
