#!/usr/bin/env bash
# One desktop session of the matrix: starts that desktop headless on a private
# bus, then hands over to the driver (scripts/desktops.py --drive), which uses
# the tray item as a person would and judges it. Run by scripts/desktops.py in
# a process group of its own, which it ends afterwards.
#
#   scripts/desktops.sh SESSION    (environment: SESSION_OUT, QUOTIX_BIN)
# Exits 3 with the reason on standard error when the desktop did not come up.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SESSION=$1
SCREEN_W=1280
SCREEN_H=800
RUN=() # runs a command as the session's user (sway's throwaway user)

source "$ROOT/scripts/common.sh"
set +e

fail() {
    echo "$*" | tr '\n' ' ' >&2
    exit 3
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

# A private home, runtime folder and session bus.
T=$(mktemp -d /tmp/quotix-desktops.XXXXXX)
chmod 755 "$T"
trap 'kill $(jobs -p) 2>/dev/null; sleep 0.5; [ -z "${DESK_USER:-}" ] || userdel -f "$DESK_USER" 2>/dev/null
    mkdir -p "$SESSION_OUT/logs"; cp "$T"/*.log "$SESSION_OUT/logs/" 2>/dev/null; rm -rf "$T"' EXIT
trap 'exit 143' TERM
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS SESSION_MANAGER \
    XDG_SESSION_TYPE XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP QT_QPA_PLATFORM GDK_BACKEND
export HOME=$T/home XDG_RUNTIME_DIR=$T/run
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export NO_AT_BRIDGE=1 LANG=C.UTF-8 T SCREEN_W SCREEN_H
# What a user's own session has for a quotix run from a build folder.
quotix_export_desktop_entry "$QUOTIX_BIN" "$XDG_DATA_HOME"

start_bus() {
    "${RUN[@]}" dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$T/session-bus.log" 2>&1 &
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
    wait_for 10 test -S "$XDG_RUNTIME_DIR/bus" || fail "the session bus did not start"
}

# gnome-shell aborts where /run/systemd/seats exists but no system bus answers.
start_system_bus() {
    dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/system-bus" >"$T/system-bus.log" 2>&1 &
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system-bus"
    wait_for 10 test -S "$XDG_RUNTIME_DIR/system-bus" || fail "the system bus did not start"
}

# Xvfb picks a free display itself: other builds may hold the usual numbers.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp 3>"$T/displayfd" >"$T/xvfb.log" 2>&1 &
    wait_for 15 test -s "$T/displayfd" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$T/displayfd")"
    wait_for 10 xdpyinfo || fail "Xvfb does not answer"
}

watcher_has_host() {
    "${RUN[@]}" gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered |
        grep -q true
}

last_lines() { grep -v '^$' "$1" | tail -n "${2:-2}" | tr '\n' ' '; }

drive() {
    "${RUN[@]}" env SESSION_OUT="$SESSION_OUT" QUOTIX_BIN="$QUOTIX_BIN" /usr/bin/python3 "$ROOT/scripts/desktops.py" \
        --drive "$SESSION"
}

session_xfce() {
    start_xvfb
    start_bus
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
    wait_for 30 watcher_has_host || fail "xfce4-panel's tray brought no StatusNotifierWatcher: $(last_lines "$T/panel.log")"
    sleep 3
    drive
}

# Plasma's first start lays out its default desktop: a bottom panel with the
# tray. kded holds the StatusNotifierWatcher: kded6 for Plasma 6, kded5 for 5.
start_plasma() {
    local kded version
    kded=$(command -v kded6 || command -v kded5) || fail "neither kded6 nor kded5 is installed"
    version=$(basename "$kded")
    version=${version#kded}
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=$version
    dbus-update-activation-environment DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP >/dev/null 2>&1
    "$kded" >"$T/kded.log" 2>&1 &
    # kded6 owns the watcher's name before its object exists; until its
    # module is loaded no item can register.
    wait_for 30 gdbus call --session --dest "org.kde.kded$version" --object-path /kded \
        --method "org.kde.kded$version.loadModule" statusnotifierwatcher ||
        fail "$(basename "$kded") did not load its statusnotifierwatcher module: $(last_lines "$T/kded.log")"
    plasmashell --no-respawn >"$T/plasmashell.log" 2>&1 &
    wait_for 120 watcher_has_host ||
        fail "plasmashell's tray never registered as a host: $(last_lines "$T/plasmashell.log")"
    sleep 10 # the panel settles after the host appears
}

session_kde_x11() {
    start_xvfb
    start_bus
    kwin_x11 >"$T/kwin.log" 2>&1 &
    wait_for 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window"
    start_plasma
    drive
}

# KDE on Wayland: kwin_wayland draws into a window on Xvfb and takes that
# window's pointer and keys as its own, so xdotool on Xvfb is a real user's
# hand in the Wayland session.
session_kde_wayland() {
    start_xvfb
    start_bus
    export XVFB_DISPLAY=$DISPLAY
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
    wait_for 40 test -s "$T/xdisplay" || fail "kwin_wayland did not start: $(last_lines "$T/kwin.log")"
    export XWAYLAND_DISPLAY=$(cat "$T/xdisplay") WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland
    # Plasma's own parts are Wayland clients.
    DISPLAY=$XWAYLAND_DISPLAY QT_QPA_PLATFORM=wayland start_plasma
    drive
}

# GNOME Shell keeps its settings in dconf, reached over the session bus.
prepare_gnome() { # prepare_gnome EXTENSIONS
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome XDG_SESSION_TYPE=x11
    start_system_bus
    gsettings set org.gnome.shell disable-user-extensions false &&
        gsettings set org.gnome.shell enabled-extensions "$1" &&
        gsettings set org.gnome.shell welcome-dialog-last-shown-version '999' || fail "dconf did not answer"
}

session_gnome_x11() {
    start_xvfb
    start_bus
    prepare_gnome "['ubuntu-appindicators@ubuntu.com']"
    gnome-shell --x11 --replace >"$T/gnome-shell.log" 2>&1 &
    wait_for 60 watcher_has_host || fail "gnome-shell brought no StatusNotifierWatcher: $(last_lines "$T/gnome-shell.log")"
    sleep 5
    drive
}

session_gnome_x11_plain() {
    start_xvfb
    start_bus
    prepare_gnome "[]"
    gnome-shell --x11 --replace >"$T/gnome-shell.log" 2>&1 &
    wait_for 60 gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Peer.Ping || fail "gnome-shell did not come up: $(last_lines "$T/gnome-shell.log")"
    sleep 5
    drive
}

# GNOME on Wayland, headless: it has no X root to photograph and no pointer.
# A small extension of ours turns on the shell's unsafe mode, which opens its
# Eval and Screenshot calls to the driver.
session_gnome_wayland() {
    start_bus
    local dir="$XDG_DATA_HOME/gnome-shell/extensions/quotix-probe@quotix.local"
    mkdir -p "$dir"
    printf '%s\n' '{"uuid": "quotix-probe@quotix.local", "name": "Quotix desktop probe",' \
        ' "description": "Lets the desktop matrix look and click", "shell-version": ["43"]}' >"$dir/metadata.json"
    printf '%s\n' 'function init() {}' 'function enable() { global.context.unsafe_mode = true; }' \
        'function disable() { global.context.unsafe_mode = false; }' >"$dir/extension.js"
    prepare_gnome "['ubuntu-appindicators@ubuntu.com', 'quotix-probe@quotix.local']"
    export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY="quotix-gnome-$$"
    gnome-shell --wayland --headless --virtual-monitor "${SCREEN_W}x${SCREEN_H}" --wayland-display "$WAYLAND_DISPLAY" \
        >"$T/gnome-shell.log" 2>&1 &
    wait_for 60 watcher_has_host || fail "gnome-shell brought no StatusNotifierWatcher: $(last_lines "$T/gnome-shell.log")"
    drive
}

# sway nested on Xvfb (its x11 backend): xdotool on Xvfb is then a real
# pointer and keyboard in the Wayland session, which a headless seat lacks.
# sway will not run as root: a throwaway user owns the whole session.
session_sway() {
    start_xvfb
    export XVFB_DISPLAY=$DISPLAY
    DESK_USER=quotixdesk$$
    useradd --system --no-create-home --home-dir "$HOME" --shell /usr/sbin/nologin "$DESK_USER" ||
        { DESK_USER=; fail "could not create a user to run sway as"; }
    RUN=(setpriv --reuid="$DESK_USER" --regid="$(id -g "$DESK_USER")" --clear-groups)
    mkdir -p "$XDG_CONFIG_HOME/sway" "$XDG_CONFIG_HOME/waybar" "$SESSION_OUT"
    printf '%s\n' "xwayland enable" "output X11-1 resolution ${SCREEN_W}x${SCREEN_H} position 0 0" \
        "default_border normal" "exec echo \$DISPLAY >$XDG_RUNTIME_DIR/xdisplay" >"$XDG_CONFIG_HOME/sway/config"
    printf '%s\n' '{ "layer": "top", "position": "top", "height": 26, "modules-right": ["tray"],' \
        '  "tray": { "icon-size": 18, "spacing": 8 } }' >"$XDG_CONFIG_HOME/waybar/config"
    chown -R "$DESK_USER:" "$T" "$SESSION_OUT"
    start_bus
    WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_X11_OUTPUTS=1 "${RUN[@]}" sway -c "$XDG_CONFIG_HOME/sway/config" \
        >"$T/sway.log" 2>&1 &
    wait_for 30 bash -c "ls $XDG_RUNTIME_DIR/wayland-* && ls $XDG_RUNTIME_DIR/sway-ipc.*.sock && test -s $XDG_RUNTIME_DIR/xdisplay" ||
        fail "sway did not start: $(last_lines "$T/sway.log" 3)"
    local socket
    for socket in "$XDG_RUNTIME_DIR"/wayland-*; do
        [[ $socket == *.lock ]] || WAYLAND_DISPLAY=$(basename "$socket")
    done
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)
    XWAYLAND_DISPLAY=$(cat "$XDG_RUNTIME_DIR/xdisplay")
    export WAYLAND_DISPLAY SWAYSOCK XWAYLAND_DISPLAY XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
    "${RUN[@]}" waybar >"$T/waybar.log" 2>&1 &
    "${RUN[@]}" mako >"$T/mako.log" 2>&1 & # sway's users bring a notification daemon of their choice
    wait_for 20 watcher_has_host || fail "waybar's tray brought no StatusNotifierWatcher: $(last_lines "$T/waybar.log" 3)"
    sleep 2
    drive
}

case "$SESSION" in
    xfce | kde-x11 | kde-wayland | gnome-x11 | gnome-x11-plain | gnome-wayland | sway) "session_${SESSION//-/_}" ;;
    *) fail "no session named $SESSION" ;;
esac
