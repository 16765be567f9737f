#!/usr/bin/env bash
# Measures Kestrune against bare Qt windows built and run in the same session, so that the ratios
# hold on a busy machine: the alarm sound's onset as heard at the sound server's null sink (with the
# desktop's bell as it comes; quiet, and with both cores busy after the page cache was dropped), the
# fade-in, the gap between repeats of a one-second file, CPU, wake-ups and memory while idle, and the
# start-up to the first painted window; the onsets once more on a private PipeWire; memory after OFF.
# Prints a table of figures; it judges nothing and exits non-zero only when it could not measure.
#
# Run as root for the cold page cache (it is dropped through /proc/sys/vm/drop_caches).
# Environment: BENCH_ALARMS (rings per kind, default 5), BENCH_STARTS (starts per program,
# default 11), BENCH_IDLE_SECONDS (default 60), BENCH_PARTS (all, or a comma-separated choice of
# startup, idle and rings; idle alone takes about two minutes), BENCH_KESTRUNE (a kestrune built
# elsewhere, its kestrune-sound-host beside it, measured instead of this tree's: figures before a change).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
alarms=${BENCH_ALARMS:-5}
starts=${BENCH_STARTS:-11}
idle_seconds=${BENCH_IDLE_SECONDS:-60}
parts=${BENCH_PARTS:-all}
part() { [ "$parts" = all ] || [[ ",$parts," == *",$1,"* ]]; }
py=/usr/bin/python3
measure="$root/bench/measure.py"

say() { printf '· %s\n' "$*" >&2; }

"$root/scripts/deps.sh" bench
say "building Kestrune and the baselines"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
kestrune_bin=${BENCH_KESTRUNE:-"$build/src/kestrune"}
[ -n "${BENCH_KESTRUNE:-}" ] || cmake --build "$build" -j2 --target kestrune >/dev/null
cmake -S "$root/bench" -B "$build/baselines" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build/baselines" -j2 >/dev/null
bare_bin="$build/baselines/bare_window"
clock_bin="$build/baselines/bare_clock" # links Qt Widgets only
first_paint="$build/baselines/first_paint"

work=$(mktemp -d /tmp/kestrune-bench.XXXXXX)
results="$work/results"
: >"$results"
started=() # every program this script starts, ended by its PID

# shellcheck source=scripts/services.sh
source "$root/scripts/services.sh"
cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${started[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    started=()
    services_stop
    rm -rf "$work"
}
trap cleanup EXIT
services_start
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Kestrune lets one copy run per user and finds the other by XDG_RUNTIME_DIR: every program run here
# gets a runtime folder of its own and reaches the shared sound server by its socket. The X server
# and the D-Bus session stay shared.
pulse_socket="$XDG_RUNTIME_DIR/pulse/native"
[ -S "$pulse_socket" ] || { echo "bench: no sound server socket at $pulse_socket" >&2; exit 1; }
own() { # PROGRAM [ARGS...]: the command line that runs it in a runtime folder of its own
    local runtime
    runtime=$(mktemp -d "$work/runtime.XXXXXX")
    chmod 700 "$runtime"
    echo env "XDG_RUNTIME_DIR=$runtime" "PULSE_SERVER=unix:$pulse_socket" "$@"
}
xdotool mousemove 1000 700 # the pointer rests on the bare root, so no window takes the focus

result() { echo "$*" >>"$results"; }
result parts "$parts"
result load "start-up:$(cut -d' ' -f1 /proc/loadavg)"

tone="$work/tone.mp3"
sox -n -r 44100 -c 2 "$tone" synth 40 sine 440 vol 0.5
second="$work/second.mp3" # repeats every second: the gap between repeats
sox -n -r 44100 -c 2 "$second" synth 1 sine 440 vol 0.5
result priming "$("$py" "$measure" priming "$tone" -30 -60)"

# A folder of its own for each Kestrune, since it keeps settings.txt beside the binary.
# new_kestrune NAME ALARM_EPOCH -> prints the binary's path
new_kestrune() { # NAME ALARM_EPOCH [SOUND]
    local dir="$work/$1"
    mkdir -p "$dir"
    cp "$kestrune_bin" "$dir/kestrune"
    cp "$(dirname "$kestrune_bin")"/kestrune-sound-host "$dir/"
    printf '"%s","%s",1,-2147483640,12648447\r\n' "${3:-$tone}" "$(date -d "@$2" +%H:%M:%S)" >"$dir/settings.txt"
    echo "$dir/kestrune"
}

end_program() { # PID: ends one program this script started, and forgets it
    local kept=() pid
    kill "$1" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    for pid in "${started[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
    started=("${kept[@]}")
}

window_of() { # PID NAME -> the program's visible window of that name, within 20 s
    local win
    for _ in $(seq 1000); do
        win=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1) || true
        [ -n "$win" ] && break
        sleep 0.02
    done
    echo "$win"
}

# Presses "ON" (client area 16,96, 33×25, below the menu bar) and waits for the status box
# (96,96, 73×25) to change; fails when it does not or a message box came up instead.
arm() { # PID WINDOW
    local height menu before
    height=$(xdotool getwindowgeometry --shell "$2" | sed -n 's/^HEIGHT=//p')
    menu=$((height - 136))
    before=$(import -window "$2" -crop "73x25+96+$((96 + menu))" rgb:- | md5sum)
    xdotool mousemove --window "$2" 32 $((108 + menu)) click 1
    xdotool mousemove 1000 700
    for _ in $(seq 40); do
        if [ "$(import -window "$2" -crop "73x25+96+$((96 + menu))" rgb:- | md5sum)" != "$before" ]; then
            [ "$(xdotool search --all --onlyvisible --pid "$1" --name '^Kestrune$' | wc -l)" -eq 1 ] && return 0
            return 1
        fi
        sleep 0.05
    done
    return 1
}

# Presses "Tray" (client area 272,16, 73×25) and waits until the window is hidden in the notification area.
to_tray() { # PID WINDOW
    local height
    height=$(xdotool getwindowgeometry --shell "$2" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$2" 308 $((28 + height - 136)) click 1
    xdotool mousemove 1000 700
    for _ in $(seq 100); do
        [ -z "$(xdotool search --all --onlyvisible --pid "$1" --name '^Kestrune$')" ] && return 0
        sleep 0.05
    done
    return 1
}

# Presses "OFF" (client area 56,96, right of "ON") and moves the pointer away again.
press_off() { # WINDOW
    local height
    height=$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$1" 72 $((108 + height - 136)) click 1
    xdotool mousemove 1000 700
}

# A private PipeWire with pipewire-pulse and the same null sink; the rings and recordings in between
# go to it (PULSE_SERVER), and pipewire_stop goes back to the PulseAudio server.
pw_pids=()
pipewire_start() {
    local runtime="$work/pipewire" server
    mkdir -p "$runtime" && chmod 700 "$runtime"
    for program in pipewire wireplumber pipewire-pulse; do
        env XDG_RUNTIME_DIR="$runtime" "$program" >"$work/$program.log" 2>&1 &
        pw_pids+=($!)
        started+=($!)
    done
    server="unix:$runtime/pulse/native"
    for _ in $(seq 200); do pactl -s "$server" info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl -s "$server" load-module module-null-sink sink_name=test_sink rate=44100 channels=2 >/dev/null || return 1
    pactl -s "$server" set-default-sink test_sink || return 1
    pulse_before=$pulse_socket
    pulse_socket="$runtime/pulse/native"
    export PULSE_SERVER="$server"
}
pipewire_stop() {
    local pid
    for pid in "${pw_pids[@]}"; do end_program "$pid"; done
    pulse_socket=$pulse_before
    unset PULSE_SERVER
}

# ---- start-up --------------------------------------------------------------------------------
if part startup; then
say "start-up to the first painted window, $starts starts each"
startup_kestrune=$(new_kestrune startup $(($(date +%s) - 7200)))
start_once() { # KEY NAME PROGRAM... ; records the paint time in ms
    local key=$1 name=$2 out
    shift 2
    # shellcheck disable=SC2046 # own prints a command line of plain words
    out=$("$first_paint" "$name" 20000 -- $(own "$@")) || { echo "bench: no painted window from $1" >&2; return 1; }
    [ "$key" = warmup ] && return 0
    result "$key" "${out#* }"
    result "${key}_map" "${out% *}"
}
# The first start of each pays for cold caches: not counted.
start_once warmup Kestrune "$startup_kestrune"
start_once warmup BareWindow "$clock_bin"
for _ in $(seq "$starts"); do
    start_once start_kestrune Kestrune "$startup_kestrune"
    start_once start_bare BareWindow "$clock_bin"
done
fi

# ---- ring --------------------------------------------------------------------------------------
# ring KIND SECONDS_RECORDED_AFTER_THE_ALARM [SOUND]: one alarm, recorded at the null sink's monitor,
# the desktop's bell as it comes. KIND quiet: as it is; busy: stress-ng keeps both cores busy from
# before arming to the end, and the page cache is dropped right before arming; base and base-busy:
# the bare window's prerolled pipeline set playing at the second's start + 3 ms instead, as a ring does.
stress_pid=""
busy_start() {
    stress-ng --cpu 2 --timeout 120s --quiet &
    stress_pid=$!
    started+=("$stress_pid")
    sleep 0.5
}
cold_cache() {
    sync
    if [ -w /proc/sys/vm/drop_caches ]; then echo 3 >/proc/sys/vm/drop_caches; else result not_cold 1; fi
}
ring() {
    local kind=$1 after=$2 sound=${3:-$tone} attempt alarm rec pid program win armed_at lead recorder
    for attempt in 1 2 3; do
        alarm=$(($(date +%s) + 6))
        rec="$work/rec-$kind-$RANDOM"
        # Ahead of the load, so that the recording's clock is not what the load delays.
        nice -n -10 "$py" "$measure" record "$rec" $((alarm + after - $(date +%s) + 1)) &
        recorder=$!
        started+=("$recorder")
        for _ in $(seq 100); do [ -e "$rec.ready" ] && break; sleep 0.02; done
        if [ "${kind#base}" != "$kind" ]; then
            # shellcheck disable=SC2046
            $(own "$bare_bin" --play "$sound" --at "$alarm") &
            pid=$!
            started+=("$pid")
            window_of "$pid" BareWindow >/dev/null
            [ "$kind" = base-busy ] && { busy_start; cold_cache; }
            armed_at=0
        else
            program=$(new_kestrune "ring-$kind" "$alarm" "$sound")
            # shellcheck disable=SC2046
            $(own "$program") &
            pid=$!
            started+=("$pid")
            win=$(window_of "$pid" Kestrune)
            [ "$kind" = busy ] && { busy_start; cold_cache; }
            armed_at=$(date +%s.%N)
            if [ -z "$win" ] || ! arm "$pid" "$win"; then
                say "could not arm Kestrune (attempt $attempt)"
                armed_at=$alarm
            fi
        fi
        lead=$(awk -v a="$alarm" -v t="$armed_at" 'BEGIN { printf "%.2f", a - t }')
        if [ "${kind#base}" = "$kind" ] && awk -v l="$lead" 'BEGIN { exit !(l < 1.0) }'; then
            [ -n "$stress_pid" ] && end_program "$stress_pid" && stress_pid=""
            end_program "$pid"
            end_program "$recorder"
            continue # armed too late for this second: again with a fresh one
        fi
        wait "$recorder" || true
        end_program "$recorder"
        [ -n "$stress_pid" ] && end_program "$stress_pid" && stress_pid=""
        end_program "$pid"
        [ "${kind#base}" = "$kind" ] && result lead "$lead"
        RING_REC=$rec RING_ALARM=$alarm
        return 0
    done
    return 1
}
onsets() { # KIND: the tone's onset and the first audible sample of the last ring
    local tone_ms first_ms
    read -r tone_ms first_ms < <("$py" "$measure" onset "$RING_REC" "$RING_ALARM")
    result "onset_$1" "$tone_ms"
    result "first_$1" "$first_ms"
}

# ---- idle ----------------------------------------------------------------------------------
if part idle; then
say "idle: six programs side by side for $idle_seconds s"
result load "idle:$(cut -d' ' -f1 /proc/loadavg)"
never=$(($(date +%s) - 7200)) # an alarm time that does not come round during the run
disarmed=$(new_kestrune idle-disarmed "$never")
armed=$(new_kestrune idle-armed "$never")
# shellcheck disable=SC2046
{
    $(own "$disarmed") &
    pid_disarmed=$!
    $(own "$armed") &
    pid_armed=$!
    $(own "$clock_bin") &
    pid_bare=$!
    $(own "$bare_bin" --player "$tone") &
    pid_player=$!
}
started+=("$pid_disarmed" "$pid_armed" "$pid_bare" "$pid_player")
# Apart from each other, so that the click lands on the right window and nothing covers another.
for entry in "$pid_disarmed Kestrune 0 40" "$pid_armed Kestrune 370 40" "$pid_bare BareWindow 0 240" \
    "$pid_player BareWindow 370 240"; do
    read -r pid name x y <<<"$entry"
    win=$(window_of "$pid" "$name")
    [ -n "$win" ] || { echo "bench: no window from $name ($pid)" >&2; exit 1; }
    xdotool windowmove "$win" "$x" "$y"
    [ "$pid" = "$pid_armed" ] && win_armed=$win
done
arm "$pid_armed" "$win_armed" || { echo "bench: could not arm Kestrune" >&2; exit 1; }
sleep 5 # let both settle after start-up and arming
# start_armed NAME X Y: one more Kestrune, placed and armed; its PID and window in armed_pid, armed_win.
start_armed() {
    local folder
    folder=$(new_kestrune "$1" "$never")
    # shellcheck disable=SC2046
    $(own "$folder") &
    armed_pid=$!
    started+=("$armed_pid")
    armed_win=$(window_of "$armed_pid" Kestrune)
    xdotool windowmove "$armed_win" "$2" "$3"
    arm "$armed_pid" "$armed_win" || { echo "bench: could not arm Kestrune" >&2; exit 1; }
}
# One more, armed and then disarmed with OFF: back to a waiting clock's weight?
start_armed idle-off 0 440
pid_off=$armed_pid win_off=$armed_win
# One more, armed and then hidden in the notification area, as it waits all night.
start_armed idle-hidden 370 440
pid_hidden=$armed_pid win_hidden=$armed_win
sleep 3
press_off "$win_off"
to_tray "$pid_hidden" "$win_hidden" || { echo "bench: Tray did not hide Kestrune" >&2; exit 1; }
sleep 10
# Measured as it waits all night: once its sound process has found the file fine and ended.
for _ in $(seq 100); do
    [ -z "$(cat /proc/"$pid_hidden"/task/*/children 2>/dev/null)" ] && break
    sleep 0.2
done
while read -r name cpu wakeups rss threads schedcpu processes pss; do
    result "cpu_$name" "$cpu"
    result "wakeups_$name" "$wakeups"
    result "rss_$name" "$rss"
    result "threads_$name" "$threads"
    result "schedcpu_$name" "$schedcpu"
    result "processes_$name" "$processes"
    result "pss_$name" "$pss"
done < <("$py" "$measure" idle "$idle_seconds" disarmed="$pid_disarmed" armed="$pid_armed" bare="$pid_bare" \
    player="$pid_player" off="$pid_off" hidden="$pid_hidden")
result idle_seconds "$idle_seconds"
for pid in "$pid_disarmed" "$pid_armed" "$pid_bare" "$pid_player" "$pid_off" "$pid_hidden"; do
    end_program "$pid"
done
fi

if part rings; then
say "ring: fade, gap between repeats, and $alarms alarms of each kind, quiet"
result load "rings:$(cut -d' ' -f1 /proc/loadavg)"
ring quiet 35 || { echo "bench: could not ring the alarm" >&2; exit 1; }
onsets quiet
read -r slope stop final first begin < <("$py" "$measure" fade "$RING_REC" "$RING_ALARM")
result fade_slope "$slope"
result fade_end "$stop"
result fade_final "$final"
result fade_first "$first"
result fade_begin "$begin"
ring gap 13 "$second" || { echo "bench: could not ring the alarm" >&2; exit 1; }
result gap "$("$py" "$measure" gap "$RING_REC" "$RING_ALARM" 1.5 11.5)"
for i in $(seq "$alarms"); do
    if [ "$i" -gt 1 ]; then
        ring quiet 3 || { echo "bench: could not ring the alarm" >&2; exit 1; }
        onsets quiet
    fi
    ring base 3 || { echo "bench: could not start the baseline player" >&2; exit 1; }
    onsets base
done
# The same on PipeWire, as Debian's GNOME has it: started privately, with the same null sink.
say "ring: $alarms alarms of each kind, quiet, on PipeWire"
if pipewire_start; then
    for i in $(seq "$alarms"); do
        ring quiet 3 || { echo "bench: could not ring the alarm on PipeWire" >&2; exit 1; }
        onsets pw_quiet
        ring base 3 || { echo "bench: could not start the baseline player on PipeWire" >&2; exit 1; }
        onsets pw_base
    done
    pipewire_stop
else
    say "PipeWire did not start; its figures are left out"
fi
# Last, since the load it makes lingers in the load average.
say "ring: $alarms alarms of each kind, both cores busy, page cache dropped"
result load "busy-rings:$(cut -d' ' -f1 /proc/loadavg)"
for i in $(seq "$alarms"); do
    ring busy 4 || { echo "bench: could not ring the alarm" >&2; exit 1; }
    onsets busy
    ring base-busy 4 || { echo "bench: could not start the baseline player" >&2; exit 1; }
    onsets base_busy
done
fi
result load "end:$(cut -d' ' -f1 /proc/loadavg)"

echo
echo "Kestrune benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$py" "$measure" table "$results"
