#!/usr/bin/env bash
# Builds Quotix and its benchmarks in Release mode, measures every figure on
# a private headless desktop (Xvfb, trayer, a session bus) and prints one
# table: figure, median, min/max, target, ratio, verdict. Each target is a
# ratio to a floor measured in the same run, since absolute times on shared
# machines drift. Takes about six minutes, most of it the idle watch.
#   QUOTIX_BENCH_REPEATS       repetitions of each process-level figure (7)
#   QUOTIX_BENCH_IDLE_RUNS     idle watches (3), each QUOTIX_BENCH_IDLE_SECONDS (60) long
#   QUOTIX_BENCH_BUILD_DIR     build directory (build-bench)
#   QUOTIX_BENCH_ONLY          only these parts, by name: concurrency available
#                              history startup memory growth idle status
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir=${QUOTIX_BENCH_BUILD_DIR:-$QUOTIX_ROOT/build-bench}
if [ -z "${QUOTIX_BENCH_SESSION:-}" ]; then
    quotix_install_packages "${QUOTIX_PACKAGES[@]}" "${QUOTIX_BENCH_PACKAGES[@]}"
    quotix_build "$build_dir" -DCMAKE_BUILD_TYPE=Release -DQUOTIX_BUILD_TESTS=OFF -DQUOTIX_BUILD_BENCH=ON
    # A session bus of its own, as a desktop has. It has no tray watcher, so
    # Quotix and the floor both take the XEmbed tray that trayer offers.
    exec env QUOTIX_BENCH_SESSION=1 dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@"
fi

repeats=${QUOTIX_BENCH_REPEATS:-7}
idle_runs=${QUOTIX_BENCH_IDLE_RUNS:-3}
idle_seconds=${QUOTIX_BENCH_IDLE_SECONDS:-60}
quotix=$build_dir/bin/quotix
bin=$build_dir/bin
service_bin=$build_dir/bin/quotix-usage-service

work=$(mktemp -d)
background=()
cleanup() {
    local pid
    for pid in "${background[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
note() { echo "bench: $*" >&2; }

# A home of its own: settings, autostart entries and the lock file stay out
# of the user's, and the credentials are the benchmark's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME/.claude" "$HOME/.codex" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset CLAUDE_CONFIG_DIR CODEX_HOME QUOTIX_CLAUDE_USAGE_URL QUOTIX_CODEX_USAGE_URL NO_COLOR
cat >"$HOME/.claude/.credentials.json" <<'EOF'
{"claudeAiOauth":{"accessToken":"sk-ant-oat01-bench","refreshToken":"sk-ant-ort01-bench","expiresAt":1893456000000,"scopes":["user:inference","user:profile"],"subscriptionType":"max"}}
EOF
cat >"$HOME/.codex/auth.json" <<'EOF'
{"auth_mode":"chatgpt","OPENAI_API_KEY":null,"tokens":{"id_token":"eyJ.bench.id","access_token":"eyJ.bench.access","refresh_token":"rt-bench","account_id":"acc-bench"},"last_refresh":"2025-06-15T12:00:00Z"}
EOF
chmod 600 "$HOME/.claude/.credentials.json" "$HOME/.codex/auth.json"

# --- the desktop: Xvfb and trayer ---------------------------------------
display_number=$((90 + $$ % 100))
while [ -e "/tmp/.X11-unix/X$display_number" ] || [ -e "/tmp/.X$display_number-lock" ]; do
    display_number=$((display_number + 1))
done
Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
background+=($!)
export DISPLAY=":$display_number" QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { note "Xvfb did not start"; exit 1; }
trayer --edge top --align right --widthtype request --height 22 --transparent false >"$work/trayer.log" 2>&1 &
background+=($!)

# --- the substitute service on loopback, for the real (non-demo) start ----
"$service_bin" --demo >"$work/service.out" 2>&1 &
background+=($!)
for _ in $(seq 100); do grep -q '^listening on' "$work/service.out" && break; sleep 0.05; done
port=$(sed -n 's/^listening on //p' "$work/service.out")
[ -n "$port" ] || { note "the usage service did not start"; exit 1; }
claude_url="http://127.0.0.1:$port/api/oauth/usage"
export QUOTIX_CLAUDE_USAGE_URL=$claude_url
export QUOTIX_CODEX_USAGE_URL="http://127.0.0.1:$port/backend-api/wham/usage"

# --- helpers --------------------------------------------------------------
# stats VALUE... -> "median min max"
stats() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.5g %.5g %.5g", m, v[1], v[NR] }'
}
median() { stats "$@" | cut -d' ' -f1; }
rss_kib() {
    [ -r "/proc/$1/status" ] || { note "process $1 is gone: did something else end it?"; exit 1; }
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}
# Private (unshared) memory: pages no other process maps (Private_Clean +
# Private_Dirty); with "dirty", only those the process wrote (heap, stacks,
# relocated library data), which no other process could ever share.
private_kib() {
    [ -r "/proc/$1/smaps_rollup" ] || { note "process $1 is gone: did something else end it?"; exit 1; }
    awk -v only="${2:-}" '/^Private_Dirty:/ || (only == "" && /^Private_Clean:/) { kib += $2 } END { print kib }' \
        "/proc/$1/smaps_rollup"
}
cpu_ticks() {
    [ -r "/proc/$1/stat" ] || { note "process $1 is gone: did something else end it?"; exit 1; }
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# CPU ticks of the children a process has reaped: the tray's checking children.
child_cpu_ticks() {
    awk '{ print $16 + $17 }' "/proc/$1/stat"
}

# launch COMMAND... : starts it under tray_watch; sets shown_ms, shown_window, shown_pid.
launch() {
    local out=$work/watch.$RANDOM
    "$bin/tray_watch" "$@" >"$out" 2>"$out.err" &
    watcher=$!
    shown_pid=
    for _ in $(seq 500); do
        if read -r _ shown_ms _ shown_window _ shown_pid <"$out" 2>/dev/null && [ -n "$shown_pid" ]; then
            return 0
        fi
        kill -0 "$watcher" 2>/dev/null || break
        sleep 0.02
    done
    note "no tray icon from: $*"
    cat "$out.err" >&2
    return 1
}
# Ends what launch started and waits until it is gone.
finish() {
    kill "$shown_pid" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
}
# Clicks the tray icon, as a user opening the panel would.
click_icon() { xdotool mousemove --window "$shown_window" 11 11 click 1; }
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }

rows=()
# row FIGURE "MEDIAN MIN MAX" UNIT TARGET_TEXT RATIO LIMIT
#   RATIO is compared with LIMIT (met when RATIO <= LIMIT); "-" for no target
#   (a RATIO with LIMIT "-" is shown, not judged).
row() {
    local figure=$1 values=$2 unit=$3 target=$4 ratio=$5 limit=$6 median min max verdict
    read -r median min max <<<"$values"
    if [ "$ratio" = - ] || [ "$limit" = - ]; then
        verdict=-
    elif awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }'; then
        verdict=met
    else
        verdict=MISSED
    fi
    rows+=("$(printf '%-44s|%12s|%22s|%-22s|%7s|%s' "$figure" "$median $unit" "$min / $max" "$target" "$ratio" "$verdict")")
    note "${rows[-1]}"
}
figure() { awk -v f="$1" '$1 == f { print $2, $3, $4 }' "$2"; }
to_mib() { awk '{ printf "%.1f %.1f %.1f", $1 / 1024, $2 / 1024, $3 / 1024 }' <<<"$1"; }
wants() { [ -z "${QUOTIX_BENCH_ONLY:-}" ] || [[ " $QUOTIX_BENCH_ONLY " == *" $1 "* ]]; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# --- 1. concurrency ---------------------------------------------------------
if wants concurrency; then
    note "concurrency (D = 400 ms)"
    "$bin/bench_concurrency" 10 5 >"$work/concurrency.out"
    values=$(figure concurrency_run_ms "$work/concurrency.out")
    row "refresh run, both delayed D" "$values" ms "<= 1.15 x D (460 ms)" "$(ratio "${values%% *}" 400)" 1.15
    values=$(figure concurrency_other_published_ms "$work/concurrency.out")
    row "other state published, one dropped" "$values" ms "about D (<= 1.15 x D)" "$(ratio "${values%% *}" 400)" 1.15
    values=$(figure concurrency_dropped_run_ms "$work/concurrency.out")
    row "  (that run, to the end of its retries)" "$values" ms "-" - -
fi

# --- 2. main-thread cost of availableProviders ------------------------------
if wants available; then
    note "availableProviders"
    "$bin/bench_available" 10000 >"$work/available.out"
    values=$(figure available_us "$work/available.out")
    row "availableProviders, one read" "$values" us "median < 200 us" "$(ratio "${values%% *}" 200)" 1
    values=$(figure available_p99_us "$work/available.out")
    row "availableProviders, 99th percentile" "$values" us "-" - -
fi

# --- 2b. the history file -------------------------------------------------
if wants history; then
    note "history (2,000 timed checks, a generated year)"
    "$bin/bench_history" 2000 >"$work/history.out"
    values=$(figure history_write_ms "$work/history.out")
    row "history, writing one check" "$values" ms "median < 5 ms" "$(ratio "${values%% *}" 5)" 1
    # The tray loads SQLite for each check and lets it go afterwards.
    values=$(figure history_released_write_ms "$work/history.out")
    row "  the same, SQLite loaded and let go" "$values" ms "median < 5 ms" "$(ratio "${values%% *}" 5)" 1
    values=$(figure history_anon_kib "$work/history.out")
    row "history, private memory added" "$values" KiB "<= 1024 KiB" "$(ratio "${values%% *}" 1024)" 1
    row "  RSS added, with SQLite's shared code" "$(figure history_rss_kib "$work/history.out")" KiB "-" - -
    row "  RSS added once SQLite is let go" "$(figure history_rss_released_kib "$work/history.out")" KiB "-" - -
    values=$(figure history_year_mib "$work/history.out")
    row "history, a year of checks on disk" "$values" MiB "< 20 MiB" "$(ratio "${values%% *}" 20)" 1
    row "  90 days, every figure new every check" "$(figure history_90d_worst_mib "$work/history.out")" MiB "-" - -
fi

# --- 3. start-up: floor and Quotix alternating, nothing else going on ------
if wants startup; then
    note "start-up ($((repeats * 2)) runs each)"
    floor_start=() quotix_start=()
    for _ in $(seq $((repeats * 2))); do
        launch "$bin/floor_tray" || exit 1
        floor_start+=("$shown_ms")
        finish
        # As a user starts it: own credentials, the service on loopback.
        launch "$quotix" || exit 1
        quotix_start+=("$shown_ms")
        finish
    done
    floor=$(median "${floor_start[@]}")
    values=$(stats "${quotix_start[@]}")
    row "start-up, exec to icon shown" "$values" ms "<= 1.3 x floor" "$(ratio "${values%% *}" "$floor")" 1.3
    row "  floor tray application" "$(stats "${floor_start[@]}")" ms "-" - -
fi

# --- 4. memory after start, one refresh and the panel opened once ---------
if wants memory; then
    note "memory ($repeats runs each)"
    floor_rss=() quotix_rss=() real_rss=() panel_misses=0
    # open_and_measure: after start-up and the first refresh, click the icon,
    # let the panel draw, read the resident memory.
    open_and_measure() {
        sleep 2
        click_icon
        sleep 1.5
        rss_kib "$shown_pid"
    }
    for _ in $(seq "$repeats"); do
        launch "$bin/floor_tray" || exit 1
        floor_rss+=("$(open_and_measure)")
        finish
        launch "$quotix" --demo || exit 1
        quotix_rss+=("$(open_and_measure)")
        [ "$(visible_windows "$shown_pid")" -ge 2 ] || panel_misses=$((panel_misses + 1))
        finish
        launch "$quotix" || exit 1
        real_rss+=("$(open_and_measure)")
        finish
    done
    [ "$panel_misses" -eq 0 ] || note "the panel did not open in $panel_misses of $repeats runs"
    floor=$(median "${floor_rss[@]}")
    values=$(stats "${quotix_rss[@]}")
    row "RSS, --demo after refresh + panel once" "$(to_mib "$values")" MiB "<= 1.15 x floor" \
        "$(ratio "${values%% *}" "$floor")" 1.15
    row "  floor tray application, popup opened" "$(to_mib "$(stats "${floor_rss[@]}")")" MiB "-" - -
    row "  quotix with credentials, not --demo" "$(to_mib "$(stats "${real_rss[@]}")")" MiB "-" - -

    # --- 4b. private memory: both running side by side, so the libraries both
    # use are shared and what is left is each one's own (heap, stacks, its own
    # code, libraries only it loads).
    note "private memory ($repeats runs side by side)"
    floor_private=() quotix_private=() floor_dirty=() quotix_dirty=()
    for _ in $(seq "$repeats"); do
        launch "$bin/floor_tray" || exit 1
        floor_pid=$shown_pid floor_watcher=$watcher floor_window=$shown_window
        launch "$quotix" --demo || exit 1
        sleep 2
        click_icon
        xdotool mousemove --window "$floor_window" 11 11 click 1
        sleep 1.5
        floor_private+=("$(private_kib "$floor_pid")")
        quotix_private+=("$(private_kib "$shown_pid")")
        floor_dirty+=("$(private_kib "$floor_pid" dirty)")
        quotix_dirty+=("$(private_kib "$shown_pid" dirty)")
        finish
        kill "$floor_pid" 2>/dev/null || true
        wait "$floor_watcher" 2>/dev/null || true
    done
    floor=$(median "${floor_private[@]}")
    values=$(stats "${quotix_private[@]}")
    row "private memory, --demo, panel once" "$(to_mib "$values")" MiB "<= 1.25 x floor" \
        "$(ratio "${values%% *}" "$floor")" 1.25
    row "  floor tray application, popup opened" "$(to_mib "$(stats "${floor_private[@]}")")" MiB "-" - -
    values=$(stats "${quotix_dirty[@]}")
    row "  of it written (Private_Dirty), --demo" "$(to_mib "$values")" MiB "-" \
        "$(ratio "${values%% *}" "$(median "${floor_dirty[@]}")")" -
    row "  floor tray application, written" "$(to_mib "$(stats "${floor_dirty[@]}")")" MiB "-" - -

    # The same side by side with the user's own start: credentials, no --demo.
    floor_private=() real_private=()
    for _ in $(seq "$repeats"); do
        launch "$bin/floor_tray" || exit 1
        floor_pid=$shown_pid floor_watcher=$watcher floor_window=$shown_window
        launch "$quotix" || exit 1
        sleep 2
        click_icon
        xdotool mousemove --window "$floor_window" 11 11 click 1
        sleep 1.5
        floor_private+=("$(private_kib "$floor_pid")")
        real_private+=("$(private_kib "$shown_pid")")
        finish
        kill "$floor_pid" 2>/dev/null || true
        wait "$floor_watcher" 2>/dev/null || true
    done
    values=$(stats "${real_private[@]}")
    row "  private, quotix with credentials" "$(to_mib "$values")" MiB "-" \
        "$(ratio "${values%% *}" "$(median "${floor_private[@]}")")" -
fi

# --- 5. growth over 1,000 runs and 100 openings ----------------------------
if wants growth; then
    note "memory growth (3 runs of 1,000 refreshes)"
    growth=() trimmed=()
    for _ in 1 2 3; do
        "$bin/bench_growth" >"$work/growth.out"
        growth+=("$(awk '$1 == "growth_kib" { print $2 }' "$work/growth.out")")
        trimmed+=("$(awk '$1 == "growth_trimmed_kib" { print $2 }' "$work/growth.out")")
    done
    values=$(stats "${growth[@]}")
    row "RSS growth, 1,000 runs + 100 openings" "$values" KiB "<= 1024 KiB" "$(ratio "${values%% *}" 1024)" 1
    row "  the same after malloc_trim" "$(stats "${trimmed[@]}")" KiB "-" - -
fi

# --- 6. idle, panel closed ---------------------------------------------------
if wants idle; then
    note "idle ($idle_runs x $idle_seconds s)"
    ticks_per_second=$(getconf CLK_TCK)
    idle_cpu=() idle_calls=() floor_calls=() refresh_cpu=()
    count_calls() { awk '$NF == "total" { calls = $4 } END { print calls + 0 }' "$1" 2>/dev/null || echo 0; }
    for _ in $(seq "$idle_runs"); do
        launch "$bin/floor_tray" || exit 1
        floor_pid=$shown_pid floor_watcher=$watcher
        launch "$quotix" --demo || exit 1
        sleep 5 # start-up and the first refresh are over
        before=$(cpu_ticks "$shown_pid")
        timeout -s INT "$idle_seconds" strace -c -f -p "$shown_pid" -o "$work/strace.quotix" 2>/dev/null &
        strace_quotix=$!
        timeout -s INT "$idle_seconds" strace -c -f -p "$floor_pid" -o "$work/strace.floor" 2>/dev/null &
        wait "$strace_quotix" || true
        wait $! || true
        after=$(cpu_ticks "$shown_pid")
        # Every check runs in a child; the first refresh's are reaped by now.
        refresh_cpu+=("$(awk -v t="$(child_cpu_ticks "$shown_pid")" -v hz="$ticks_per_second" \
            'BEGIN { printf "%.1f", 1000 * t / hz }')")
        idle_cpu+=("$(awk -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$idle_seconds" \
            'BEGIN { printf "%.4f", 100 * t / hz / s }')")
        idle_calls+=("$(count_calls "$work/strace.quotix")")
        floor_calls+=("$(count_calls "$work/strace.floor")")
        finish
        kill "$floor_pid" 2>/dev/null || true
        wait "$floor_watcher" 2>/dev/null || true
    done
    values=$(stats "${idle_cpu[@]}")
    row "idle CPU, panel closed, ${idle_seconds} s" "$values" "%" "<= 0.1 % of one core" "$(ratio "${values%% *}" 0.1)" 1
    row "  system calls in that time (wakeups)" "$(stats "${idle_calls[@]}")" calls "-" - -
    row "  floor tray application, same" "$(stats "${floor_calls[@]}")" calls "-" - -
    values=$(stats "${refresh_cpu[@]}")
    row "  the checking children, CPU of one refresh" "$values" ms "-" - -
    row "  that, spread over the 120 s period" \
        "$(awk -v v="$values" 'BEGIN { split(v, a, " "); printf "%.4f %.4f %.4f", a[1] / 1200, a[2] / 1200, a[3] / 1200 }')" \
        "%" "<= 0.1 % of one core" "$(ratio "$(awk -v v="$values" 'BEGIN { split(v, a, " "); print a[1] / 1200 }')" 0.1)" 1
fi

# --- 7. the one-shot command --------------------------------------------------
if wants status; then
    note "quotix status --json"
    "$quotix" status --json >/dev/null || { note "quotix status --json failed"; exit 1; }
    # Short rounds taking turns, so that the machine's drift over the
    # minute weighs on Quotix and the floor alike.
    status_ms=() floor_ms=() probe_ms=()
    for _ in $(seq $((repeats * 5))); do
        hyperfine -N --style none --warmup 1 --runs 2 --export-csv "$work/status.csv" \
            "$quotix status --json" "$bin/floor_get $claude_url" "$bin/probe_get_gui_linked $claude_url" >/dev/null
        # CSV: command,mean,stddev,median,user,system,min,max (seconds)
        ms_of() { awk -F, -v n="$1" 'NR == n + 1 { printf "%.3f", $4 * 1000 }' "$work/status.csv"; }
        status_ms+=("$(ms_of 1)") floor_ms+=("$(ms_of 2)") probe_ms+=("$(ms_of 3)")
    done
    values=$(stats "${status_ms[@]}")
    floor=$(stats "${floor_ms[@]}")
    row "status --json, wall time" "$values" ms "<= 1.15 x floor GET" "$(ratio "${values%% *}" "${floor%% *}")" 1.15
    row "  floor GET program" "$floor" ms "-" - -
    row "  probe: floor GET linked like quotix" "$(stats "${probe_ms[@]}")" ms "-" - -
    status_peak=() floor_peak=() probe_peak=()
    for _ in $(seq $((repeats * 2))); do
        /usr/bin/time -f %M -o "$work/peak" "$quotix" status --json >/dev/null
        status_peak+=("$(cat "$work/peak")")
        /usr/bin/time -f %M -o "$work/peak" "$bin/floor_get" "$claude_url" >/dev/null
        floor_peak+=("$(cat "$work/peak")")
        /usr/bin/time -f %M -o "$work/peak" "$bin/probe_get_gui_linked" "$claude_url" >/dev/null
        probe_peak+=("$(cat "$work/peak")")
    done
    values=$(stats "${status_peak[@]}")
    floor=$(median "${floor_peak[@]}")
    row "status --json, peak RSS" "$(to_mib "$values")" MiB "<= 1.3 x floor GET" "$(ratio "${values%% *}" "$floor")" 1.3
    row "  floor GET program" "$(to_mib "$(stats "${floor_peak[@]}")")" MiB "-" - -
    row "  probe: floor GET linked like quotix" "$(to_mib "$(stats "${probe_peak[@]}")")" MiB "-" - -
fi

# --- the table -----------------------------------------------------------------
echo
echo "Quotix benchmarks: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo 6), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s|%12s|%22s|%-22s|%7s|%s\n' figure median "min / max" target ratio verdict
printf '%s\n' "${rows[@]}"
missed=0
for line in "${rows[@]}"; do [[ $line == *"|MISSED" ]] && missed=$((missed + 1)); done
echo
echo "$missed target(s) missed"
