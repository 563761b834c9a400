# Helpers for tests that drive an intro program in a private X server.
# Every process started here is stopped on exit, also when a check fails.
set -euo pipefail

E2E_TMP=$(mktemp -d /tmp/tarnovex-e2e.XXXXXX)
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            running "$pid" || break
            sleep 0.2
        done
        kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() { echo "-- $*"; }

# True while the process exists and has not exited (a zombie has exited).
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# wait_until SECONDS COMMAND...: retries the command every 0.1 s.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# start_xvfb DEPTH [SIZE]: an X server of SIZE (default 1024x768) on a free
# display, made current.
# -noreset: by default the server resets whenever its last client leaves,
# and a client connecting during the reset (the window manager after a
# probe) is turned away.
start_xvfb() {
    local display_file=$E2E_TMP/display
    Xvfb -displayfd 3 -noreset -screen 0 "${2:-1024x768}x$1" -nolisten tcp 3>"$display_file" 2>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    wait_until 20 test -s "$display_file" || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$display_file")"
    wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "X server $DISPLAY does not answer"
    note "X server $DISPLAY of ${2:-1024x768} at depth $1"
}

# openbox names itself on the root window before it has finished starting;
# it runs its --startup command once it manages windows. A window mapped
# before that could stay unmapped for good.
start_window_manager() {
    openbox --startup "touch $E2E_TMP/openbox.ready" >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 20 test -e "$E2E_TMP/openbox.ready" || fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
}

# start_sound_server: a PulseAudio server of our own with a null sink "out".
# Its socket lives in a private runtime folder, and it neither exits when
# idle nor reads the machine's configuration (-n). As root it warns that it
# is meant for --system, and still serves us.
start_sound_server() {
    private_runtime pulseaudio
    env -u DISPLAY pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
        --load="module-null-sink sink_name=out" --load=module-native-protocol-unix \
        >"$SOUND_SERVER_LOG" 2>&1 &
    SOUND_SERVER_PIDS=($!)
    E2E_PIDS+=("${SOUND_SERVER_PIDS[@]}")
    wait_until 20 pactl info >/dev/null 2>&1 || fail "PulseAudio did not start: $(cat "$SOUND_SERVER_LOG")"
    note "PulseAudio at $XDG_RUNTIME_DIR"
}

# start_pipewire: PipeWire as desktops run it today, serving PulseAudio's
# protocol through pipewire-pulse, with wireplumber as its session manager,
# on a session bus of its own; a null sink "out" is the default sink.
start_pipewire() {
    private_runtime pipewire
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
    local bus
    bus=$(dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" --print-pid) ||
        fail "no session bus for PipeWire"
    E2E_PIDS+=("$bus")
    SOUND_SERVER_PIDS=()
    local server
    for server in pipewire wireplumber pipewire-pulse; do
        env -u DISPLAY "$server" >>"$SOUND_SERVER_LOG" 2>&1 &
        SOUND_SERVER_PIDS+=($!)
        [[ $server == pipewire ]] && sleep 1
    done
    E2E_PIDS+=("${SOUND_SERVER_PIDS[@]}")
    # A client asked too early makes the socket's folder itself, and
    # pipewire-pulse then fails to make it.
    wait_until 20 test -S "$XDG_RUNTIME_DIR/pulse/native" && wait_until 20 pactl info >/dev/null 2>&1 ||
        fail "pipewire-pulse did not start: $(cat "$SOUND_SERVER_LOG")"
    pactl load-module module-null-sink sink_name=out >/dev/null && pactl set-default-sink out ||
        fail "PipeWire made no null sink: $(tail -n 20 "$SOUND_SERVER_LOG")"
    note "$(pactl info | sed -n 's/^Server Name: //p') at $XDG_RUNTIME_DIR"
}

# stop_sound_server: ends the server that start_sound_server or
# start_pipewire started.
stop_sound_server() {
    kill "${SOUND_SERVER_PIDS[@]}" 2>/dev/null || true
    local pid
    for pid in "${SOUND_SERVER_PIDS[@]}"; do wait_until 10 eval '! running '"$pid" || true; done
}

# private_runtime NAME: a fresh runtime folder and home for a sound server,
# whose log is $SOUND_SERVER_LOG.
private_runtime() {
    export XDG_RUNTIME_DIR=$E2E_TMP/$1-runtime HOME=$E2E_TMP/$1-home
    mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
    SOUND_SERVER_LOG=$E2E_TMP/$1.log
}

# sound_server_state: whether the sound server still runs, and its last
# words, for a failure that may be the server's.
sound_server_state() {
    local state="the sound server runs" pid
    for pid in "${SOUND_SERVER_PIDS[@]}"; do running "$pid" || state="the sound server has ended"; done
    printf '%s; its log, last lines:\n%s' "$state" "$(tail -n 20 "$SOUND_SERVER_LOG")"
}

# intro_sound: the environment for the intro's sound: SDL's dummy sound
# driver, or the sound server the programs find by themselves when
# INTRO_SOUND=server.
intro_sound() {
    if [[ ${INTRO_SOUND:-} == server ]]; then
        INTRO_SOUND_ENV=(-u SDL_AUDIODRIVER)
    else
        INTRO_SOUND_ENV=(SDL_AUDIODRIVER=dummy)
    fi
}

# start_intro RUN_DIR PROGRAM: runs the program from its run folder, with the
# sound of intro_sound; standard output goes to a file, or is closed when
# INTRO_STDOUT=closed. Sets INTRO_PID.
start_intro() {
    intro_sound
    local output=$E2E_TMP/intro.out
    [[ ${INTRO_STDOUT:-} == closed ]] && output=/dev/null
    (
        [[ ${INTRO_STDOUT:-} == closed ]] && exec >&-
        cd "$1" && exec env "${INTRO_SOUND_ENV[@]}" SDL_VIDEODRIVER=x11 "./$2"
    ) >"$output" 2>"$E2E_TMP/intro.err" &
    INTRO_PID=$!
    E2E_PIDS+=("$INTRO_PID")
}

# start_launcher FOLDER COMMAND...: like start_intro, for a command that
# starts a program itself (the launcher, ./tarnovex.sh play), run in FOLDER
# with the launcher's own choices of pace and window size.
start_launcher() {
    local folder=$1
    shift
    intro_sound
    (cd "$folder" && exec env -u TARNOVEX_FPS -u SDL12COMPAT_WINDOW_SCALING "${INTRO_SOUND_ENV[@]}" SDL_VIDEODRIVER=x11 "$@") \
        >"$E2E_TMP/intro.out" 2>"$E2E_TMP/intro.err" &
    INTRO_PID=$!
    E2E_PIDS+=("$INTRO_PID")
}

# expect_sixty_frames_a_second: once the window shows, the scroll text is the
# show's clock: at speed 2 a character leaves every 8 frames, the first after
# 369 frames, so the first 12 s echo about 44 characters at 60 frames a
# second. Sets ECHOED to their number.
expect_sixty_frames_a_second() {
    sleep 12
    ECHOED=$(wc -c <"$E2E_TMP/intro.out")
    ((ECHOED >= 35 && ECHOED <= 58)) || fail_intro "$ECHOED characters echoed in the show's first 12 s, expected 35 to 58"
}

# fail_intro MESSAGE: fails with the intro's state and the last lines it
# wrote, so that a failure says what the program itself reported.
fail_intro() {
    local state=running status
    if ! running "$INTRO_PID"; then
        wait "$INTRO_PID" && status=0 || status=$?
        state="exited with status $status"
    fi
    fail "$1 (the intro $state)
--- its standard output, last lines:
$(tail -n 5 "$E2E_TMP/intro.out" 2>/dev/null)
--- its standard error, last lines:
$(tail -n 20 "$E2E_TMP/intro.err" 2>/dev/null)"
}

# The intro's own windows (by _NET_WM_PID): id, title and map state.
intro_windows() {
    local id
    for id in $(xdotool search --pid "$INTRO_PID" 2>/dev/null); do
        xwininfo -id "$id" | awk '/xwininfo:/ { sub(/.*Window id: /, ""); window = $0 } /Map State/ { state = $3 }
            END { print window ", " state }'
    done
}

# Sets WINDOW to the id of the mapped window titled TARNOVEX.
find_window() {
    find_once() { WINDOW=$(xdotool search --onlyvisible --name '^TARNOVEX$' 2>/dev/null | head -n 1) && [[ -n $WINDOW ]]; }
    wait_until 30 find_once || fail_intro "no window titled TARNOVEX; the intro's windows: $(intro_windows)"
    note "window $WINDOW"
}

# screenshot WINDOW FILE: the window's pixels as a binary PPM.
# import can wait for good on a window that goes away while it grabs (the
# program exiting after its fade), so each grab has a time limit.
screenshot() { timeout 5 import -window "$1" -depth 8 "ppm:$2" 2>/dev/null; }

# press KEY SECONDS: holds the key that long. A press and its release must
# land in different polls of the program to be seen.
press() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

# tap KEY ATTEMPT: a short press for a loop that retries until the program
# reacts. The hold grows with the attempt (0.02, 0.05, 0.08 s, again), so
# that on a loaded machine, where frames take longer, some press still spans
# a poll without lasting many frames.
tap() { press "$1" "0.0$((2 + $2 % 3 * 3))"; }

# wait_exit SECONDS: waits for the intro to end and sets INTRO_STATUS.
wait_exit() {
    wait_until "$1" eval '! running "$INTRO_PID"' || fail "the intro still runs after $1 s"
    INTRO_STATUS=0
    wait "$INTRO_PID" || INTRO_STATUS=$?
}

# show_length CAPTURE: sets PASS_FRAMES and FADE_FRAMES, the frames of one
# pass of the show and of its fade, from the capture program's --help.
show_length() {
    local help
    help=$("$1" --help) || fail "$1 --help failed"
    PASS_FRAMES=$(sed -n 's/.*--passes N .*(\([0-9]*\) frames.*/\1/p' <<<"$help")
    FADE_FRAMES=$(sed -n 's/.* the \([0-9]*\)-frame fade.*/\1/p' <<<"$help")
    [[ -n $PASS_FRAMES && -n $FADE_FRAMES ]] || fail "$1 --help gives no pass and fade length"
}
