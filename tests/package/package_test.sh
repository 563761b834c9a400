#!/bin/bash
# The two Debian packages on this machine, as a user would meet them (needs
# root or sudo): lintian finds no errors and no warnings; on a machine without
# SDL 1.2, apt would bring sdl12-compat for the viewer; apt installs both; the
# desktop entry and the AppStream metainfo validate and the icon is there in
# every size, transparent around the emblem; the entry's command, run from an
# unrelated folder on a 1920 x 1080 screen, plays the intro in a window three
# times 320 x 240 titled TARNOVEX, of the entry's window class, with its data
# files found, passes the scroll text through at 60 frames a second even with
# presentation unpaced, as on a very fast display (35 to 58 characters in the
# show's first 12 s, about 44 at that rate), and ends with status 1 after
# Escape; without a display the launcher exits with status 2; the installed
# capture, run from an unrelated folder, records the show's own frames and
# music, and with no data files fails with status 2 and leaves no file; the
# installed toolkit builds the README's example; the toolkit's package stays
# when the viewer is purged; and purging both leaves none of their files.
# Usage: package_test.sh README CAPTURE_CHECK_240 VIEWER_DEB DEV_DEB
source "$(dirname "$0")/../e2e/lib.sh"
readme=$(realpath "$1") capture_check=$(realpath "$2") viewer_deb=$(realpath "$3") dev_deb=$(realpath "$4")
here=$(dirname "$(realpath "$0")")
packages=(tarnovex libtarnovex-dev)

as_root=()
((EUID == 0)) || as_root=(sudo)
apt_get() {
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" >>"$E2E_TMP/apt.log" 2>&1 ||
        fail "apt-get $*: $(tail -n 20 "$E2E_TMP/apt.log")"
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# A failed check must not leave a package installed.
cleanup() {
    local package
    for package in "${packages[@]}"; do
        ! installed "$package" || "${as_root[@]}" apt-get purge -y "$package" >/dev/null 2>&1 || true
    done
    e2e_cleanup
}
trap cleanup EXIT

for deb in "$viewer_deb" "$dev_deb"; do
    note "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(dpkg-deb --field "$deb" Installed-Size) KiB installed"
    note "  Depends: $(dpkg-deb --field "$deb" Depends)"
done
lintian_status=0
report=$(lintian --fail-on error,warning "$viewer_deb" "$dev_deb" 2>&1) || lintian_status=$?
report=$(grep -v 'running with root privileges' <<<"$report" || true)
((lintian_status == 0)) || fail "lintian: $report"
note "lintian: ${report:-no errors, no warnings}"

# apt's choice on a machine that has no SDL 1.2 yet: the dpkg status without
# any libsdl1.2 package. sdl12-compat's libraries are 1.2.50 and later.
awk -v RS= -v ORS='\n\n' '!/^Package: libsdl1\.2/' /var/lib/dpkg/status >"$E2E_TMP/status"
apt-get -s -o Dir::State::status="$E2E_TMP/status" install "$viewer_deb" >"$E2E_TMP/apt-sdl.log" 2>&1 ||
    fail "apt-get -s install: $(tail -n 20 "$E2E_TMP/apt-sdl.log")"
# Each line: a package and its version.
mapfile -t sdl_choice < <(awk '/^Inst libsdl1\.2/ { print $2, substr($3, 2) }' "$E2E_TMP/apt-sdl.log")
printf '%s\n' "${sdl_choice[@]}" | grep -q '^libsdl1\.2-compat-shim ' ||
    fail "apt would not install sdl12-compat: ${sdl_choice[*]}"
for line in "${sdl_choice[@]}"; do
    read -r package version <<<"$line"
    [[ $package != libsdl1.2debian ]] || dpkg --compare-versions "$version" ge 1.2.50 ||
        fail "apt would install the classic SDL 1.2: ${sdl_choice[*]}"
done
note "without SDL 1.2, apt would install: ${sdl_choice[*]}"

for package in "${packages[@]}"; do
    ! installed "$package" || note "$package was installed already: it is replaced, then removed"
done
apt_get install -y "$viewer_deb" "$dev_deb"
for package in "${packages[@]}"; do
    installed "$package" || fail "apt did not install $package"
done
mapfile -t files < <(dpkg -L "${packages[@]}")

entry=$(printf '%s\n' "${files[@]}" | grep '/share/applications/.*\.desktop$') || fail "no desktop entry"
metainfo=$(printf '%s\n' "${files[@]}" | grep '/share/metainfo/.*\.xml$') || fail "no metainfo"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
appstreamcli validate --no-net "$metainfo" >"$E2E_TMP/appstream.log" 2>&1 ||
    fail "appstreamcli rejects $metainfo: $(cat "$E2E_TMP/appstream.log")"
note "desktop entry and metainfo validate"

# entry_key KEY: the key's value in the main group of the desktop entry.
entry_key() { awk -v key="$1" -F= '/^\[/ { group = $0 } group == "[Desktop Entry]" && $1 == key { print substr($0, length(key) + 2); exit }' "$entry"; }
icon=$(entry_key Icon)
for side in 16 22 24 32 48 64 128 256; do
    file=/usr/share/icons/hicolor/${side}x$side/apps/$icon.png
    read -r size corner centre < <(convert "$file" -format '%wx%h %[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]\n' info:) ||
        fail "no icon $file"
    [[ $size == "${side}x$side" && $corner == 0 && $centre != 0 ]] ||
        fail "$file: $size, corner alpha $corner, centre alpha $centre"
done
note "icon $icon in every size"

command=$(entry_key Exec)
start_xvfb 24 1920x1080
mkdir "$E2E_TMP/elsewhere"
# shellcheck disable=SC2086  # the Exec line is a command and its arguments
start_launcher "$E2E_TMP/elsewhere" env SDL12COMPAT_SYNC_TO_VBLANK=0 $command
find_window
expect_sixty_frames_a_second
geometry=$(xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ $geometry == 960x720 ]] || fail "'$command' opened a $geometry window, expected 960x720 on 1920x1080"
window_class=$(xprop -id "$WINDOW" WM_CLASS)
[[ $window_class == *"\"$(entry_key StartupWMClass)\""* ]] ||
    fail "the window's $window_class is not the entry's StartupWMClass $(entry_key StartupWMClass)"
[[ $(head -c 10 "$E2E_TMP/intro.out") == $'\n\nTARNOVEX' ]] || fail "standard output is not the scroll text"
xdotool keydown Escape
wait_exit 15
xdotool keyup Escape
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
! grep -qi "error" "$E2E_TMP/intro.out" "$E2E_TMP/intro.err" ||
    fail "the intro reported errors: $(cat "$E2E_TMP/intro.err")"
note "'$command' from $E2E_TMP/elsewhere: a 960x720 window of class $(entry_key StartupWMClass), $ECHOED characters of scroll text in 12 s, status 1 after Escape"

version=$(dpkg-deb --field "$viewer_deb" Version)
for program in tarnovex tarnovex-capture; do
    [[ $($program --version) == "$program $version" ]] || fail "$program --version: '$($program --version)', not $version"
done
note "tarnovex --version: $(tarnovex --version)"

status=0
timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY tarnovex >/dev/null 2>"$E2E_TMP/nodisplay.err" || status=$?
[[ $status == 2 && $(wc -l <"$E2E_TMP/nodisplay.err") == 1 ]] ||
    fail "tarnovex without a display: status $status, $(cat "$E2E_TMP/nodisplay.err")"
note "without a display: status 2, $(cat "$E2E_TMP/nodisplay.err")"

# The installed capture run from a folder of its own; the check renders the
# show from a copy of the installed data files.
frames=120
mkdir "$E2E_TMP/capture" "$E2E_TMP/check" "$E2E_TMP/no-data"
cp /usr/share/tarnovex/* "$E2E_TMP/check"
(cd "$E2E_TMP/capture" && SDL_AUDIODRIVER=dummy tarnovex-capture show.mkv --frames $frames) \
    >/dev/null 2>"$E2E_TMP/capture.err" || fail "tarnovex-capture failed: $(cat "$E2E_TMP/capture.err")"
ffmpeg -v error -i "$E2E_TMP/capture/show.mkv" -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt bgr0 \
    "$E2E_TMP/frames.bgr0"
ffmpeg -v error -i "$E2E_TMP/capture/show.mkv" -map 0:a -f s16le "$E2E_TMP/samples.s16"
(cd "$E2E_TMP/check" && "$capture_check" "$E2E_TMP/frames.bgr0" "$E2E_TMP/samples.s16" $frames 1 60 >/dev/null) ||
    fail "the installed capture differs from the show"
rm "$E2E_TMP/capture/show.mkv"
status=0
(cd "$E2E_TMP/capture" && tarnovex-capture show.mkv --frames 5 --data "$E2E_TMP/no-data") \
    >/dev/null 2>"$E2E_TMP/capture.err" || status=$?
[[ $status == 2 && $(wc -l <"$E2E_TMP/capture.err") == 1 && -z $(ls -A "$E2E_TMP/capture") ]] ||
    fail "capture without data: status $status, left '$(ls -A "$E2E_TMP/capture")', $(cat "$E2E_TMP/capture.err")"
note "tarnovex-capture from an unrelated folder: the show's $frames frames and music; without data: $(cat "$E2E_TMP/capture.err")"

bash "$here/consumer_test.sh" "$readme" /usr || fail "the installed toolkit does not serve a project"

apt_get purge -y tarnovex
installed libtarnovex-dev || fail "purging the viewer took the toolkit's package with it"
apt_get purge -y libtarnovex-dev
for package in "${packages[@]}"; do
    ! dpkg -L "$package" >/dev/null 2>&1 || fail "dpkg still lists $package's files"
done
left=()
for path in "${files[@]}"; do
    # Shared folders such as /usr/bin stay; the package's own must go.
    if [[ -e $path && (! -d $path || $path == *tarnovex*) ]]; then left+=("$path"); fi
done
((${#left[@]} == 0)) || fail "left behind after purge: ${left[*]}"
note "purged: none of the packages' ${#files[@]} paths is left"
