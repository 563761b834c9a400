#!/bin/bash
# The music through the sound servers of today's desktops: a private
# PulseAudio server, then PipeWire with pipewire-pulse, each with a null sink
# whose monitor is recorded while the windowed intro plays with its own
# choice of output, started by itself and through the launcher. The music
# must be heard within 2 s of the window, have no silence the song itself
# does not have (libmikmod's own render of the song tells its rests), and
# stop for the fade after Escape; the show must keep its pace meanwhile, read
# from the scroll text. A last run plays a 2 s song, so the reload after the
# song's end is heard.
# Usage: sound_server_test.sh RUN_DIR PROGRAM SOUND_CHECK MAKE_SONG LAUNCHER
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2 sound_check=$3 make_song=$4 launcher=$5

BYTES_PER_SECOND=176400 # 16-bit stereo at 44.1 kHz
TOLERANCE=0.3 # seconds a silence may outlast the song's own rests: a reload or a busy machine

seconds_since() { awk -v now="$EPOCHREALTIME" -v t0="$1" 'BEGIN { printf "%.2f", now - t0 }'; }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b + 0) }'; }
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a + b }'; }

# waited_for_cpu: the seconds the intro's frame loop (its main thread) has
# spent ready to run but waiting for a CPU, from the kernel's scheduler
# statistics.
waited_for_cpu() { awk '{ printf "%.3f", $2 / 1e9 }' "/proc/$INTRO_PID/schedstat"; }

# frames_a_second_between LOWEST HIGHEST: the show's pace over 20 s from its
# first echoed character of scroll text, where one character leaves every 8
# frames. It must reach LOWEST frames a second in the time the program had a
# CPU, so that a busy machine does not count against it (a sound output that
# blocks the loop sleeps, and still counts), and keep to HIGHEST by the clock.
frames_a_second_between() {
    wait_until 20 test -s "$E2E_TMP/intro.out" || fail_intro "no scroll text"
    local from=$EPOCHREALTIME echoed=$(wc -c <"$E2E_TMP/intro.out") waited=$(waited_for_cpu) pace own_pace
    sleep 20
    read -r pace own_pace < <(awk -v c0="$echoed" -v c1="$(wc -c <"$E2E_TMP/intro.out")" -v t0="$from" \
        -v t1="$EPOCHREALTIME" -v w0="$waited" -v w1="$(waited_for_cpu)" \
        'BEGIN { frames = (c1 - c0) * 8; printf "%.1f %.1f\n", frames / (t1 - t0), frames / (t1 - t0 - (w1 - w0)) }')
    awk -v p="$pace" -v own="$own_pace" -v lo="$1" -v hi="$2" 'BEGIN { exit !(own >= lo && p <= hi) }' ||
        fail_intro "$pace frames a second ($own_pace in the time it had a CPU), expected $1 to $2"
    note "$pace frames a second ($own_pace in the time it had a CPU)"
}

# play_and_record NAME WHILE START...: records the sink while the intro,
# started by the command START, plays, runs the command WHILE (words) once
# its window shows, then quits it with Escape. Sets WINDOW_AT, ESCAPE_AT and
# EXIT_AT, in seconds of the recording $E2E_TMP/NAME.raw.
play_and_record() {
    local name=$1 record=$E2E_TMP/$1.raw while_playing=$2 started size
    shift 2
    parec -d out.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 >"$record" &
    local recorder=$!
    E2E_PIDS+=("$recorder")
    wait_until 10 test -s "$record" || fail "parec records nothing"
    size=$(stat -c %s "$record")
    started=$(awk -v now="$EPOCHREALTIME" -v s="$size" -v r=$BYTES_PER_SECOND 'BEGIN { printf "%.3f", now - s / r }')
    INTRO_SOUND=server "$@"
    find_window
    WINDOW_AT=$(seconds_since "$started")
    $while_playing
    ESCAPE_AT=$(seconds_since "$started")
    press Escape 0.1
    wait_exit 20
    EXIT_AT=$(seconds_since "$started")
    [[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS: $(cat "$E2E_TMP/intro.err")"
    [[ ! -s $E2E_TMP/intro.err ]] || fail "the intro complained: $(cat "$E2E_TMP/intro.err")"
    sleep 0.5
    running "$recorder" || fail "$name: the recording ended before the intro; $(sound_server_state)"
    kill "$recorder"
    wait "$recorder" 2>/dev/null || true
    note "$name: window at $WINDOW_AT s, Escape at $ESCAPE_AT s, exit at $EXIT_AT s of the recording"
}

# check_music NAME SONG: the recording against libmikmod's render of SONG.
check_music() {
    local record=$E2E_TMP/$1.raw song_first song_last song_rest song_length heard gap allowed fade_peak
    (cd "$E2E_TMP" && "$sound_check" render "$2") || fail "libmikmod cannot render $2"
    mv "$E2E_TMP/music.raw" "$E2E_TMP/$1.song.raw"
    read -r song_first song_last song_rest < <("$sound_check" song "$E2E_TMP/$1.song.raw")
    song_length=$(awk -v s="$(stat -c %s "$E2E_TMP/$1.song.raw")" -v r=$BYTES_PER_SECOND 'BEGIN { print s / r }')
    # Across a reload the rest is the song's silent end and its silent start.
    allowed=$(awk -v r="$song_rest" -v f="$song_first" -v l="$song_last" -v n="$song_length" -v t=$TOLERANCE \
        'BEGIN { j = n - l + f; printf "%.2f", (r > j ? r : j) + t }')

    heard=$("$sound_check" first "$record" "$WINDOW_AT")
    [[ $heard != none ]] || fail "$1: no music heard"
    at_most "$heard" "$(plus "$WINDOW_AT" "$(plus 2 "$song_first")")" || fail "$1: music first heard at $heard s"
    gap=$("$sound_check" gap "$record" "$heard" "$ESCAPE_AT")
    at_most "$gap" "$allowed" || fail "$1: $gap s of silence in the music (the song's own rests: $allowed s)"
    # The key is seen within a frame or two; the server plays what it holds.
    fade_peak=$("$sound_check" peak "$record" "$(plus "$ESCAPE_AT" 0.4)" "$EXIT_AT")
    at_most "$fade_peak" 64 || fail "$1: sound during the fade (peak $fade_peak)"
    note "$1: heard at $heard s, longest silence $gap s (allowed $allowed s), fade silent"
}

# each_way SERVER: the show by itself and through the launcher, at the pace
# of a 60 Hz display, its music into SERVER.
each_way() {
    play_and_record "$1-program" "frames_a_second_between 58 1000" start_intro "$run_dir" "$program"
    check_music "$1-program" "$run_dir/ocean.xm"
    play_and_record "$1-launcher" "frames_a_second_between 58 62" start_launcher "$run_dir" "$launcher"
    check_music "$1-launcher" "$run_dir/ocean.xm"
}

start_xvfb 24
start_pipewire
each_way pipewire
stop_sound_server
start_sound_server
each_way pulseaudio

# The short song: a one-channel pad note 1.92 s long, played over and over.
short_dir=$E2E_TMP/short
mkdir "$short_dir"
cp "$run_dir/$program" "$run_dir"/*.ppm "$run_dir"/*.pbm "$short_dir"
{
    printf 'channels 1\nspeed 6\nbpm 125\norder 00\ninstrument 01 pad volume 50\npattern 00\n'
    printf '00 | C-4 01 40 ...\n'
    for row in $(seq 1 15); do printf '%02d | --- .. .. ...\n' "$row"; done
} >"$E2E_TMP/short.song"
"$make_song" "$E2E_TMP/short.song" "$short_dir/ocean.xm" >/dev/null || fail "make-song failed"
play_and_record short "sleep 7" start_intro "$short_dir" "$program"
check_music short "$short_dir/ocean.xm"
