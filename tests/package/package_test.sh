#!/bin/bash
# The Debian package on this machine, as a user would meet it (needs root or
# sudo): lintian finds no errors; apt installs it; the desktop entry and the
# AppStream metainfo validate and the icon is there in every size,
# transparent around the emblem; the entry's command, run from an unrelated
# folder, plays the intro in a 320 x 240 window titled TARNOVEX with its data
# files found, passes the scroll text through and ends with status 1 after
# Escape; the installed toolkit builds the README's example; and purging the
# package leaves none of its files behind.
# Usage: package_test.sh DEB README
source "$(dirname "$0")/../e2e/lib.sh"
deb=$(realpath "$1") readme=$(realpath "$2")
here=$(dirname "$(realpath "$0")")

as_root=()
((EUID == 0)) || as_root=(sudo)
apt_get() {
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" >>"$E2E_TMP/apt.log" 2>&1 ||
        fail "apt-get $*: $(tail -n 20 "$E2E_TMP/apt.log")"
}
installed() { dpkg-query -W -f='${Status}' tarnovex 2>/dev/null | grep -q 'install ok installed'; }
# A failed check must not leave the package installed.
cleanup() {
    ! installed || "${as_root[@]}" apt-get purge -y tarnovex >/dev/null 2>&1 || true
    e2e_cleanup
}
trap cleanup EXIT

note "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(dpkg-deb --field "$deb" Installed-Size) KiB installed"
note "Depends: $(dpkg-deb --field "$deb" Depends)"
lintian_status=0
report=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
report=$(grep -v 'running with root privileges' <<<"$report" || true)
((lintian_status == 0)) || fail "lintian: $report"
note "lintian: ${report:-no errors, no warnings}"

! installed || note "tarnovex was installed already: it is replaced, then removed"
apt_get install -y "$deb"
installed || fail "apt did not install tarnovex"
mapfile -t files < <(dpkg -L tarnovex)

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
start_xvfb 24
mkdir "$E2E_TMP/elsewhere"
# shellcheck disable=SC2086  # the Exec line is a command and its arguments
(cd "$E2E_TMP/elsewhere" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy $command) \
    >"$E2E_TMP/intro.out" 2>"$E2E_TMP/intro.err" &
INTRO_PID=$!
E2E_PIDS+=("$INTRO_PID")
find_window
geometry=$(xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ $geometry == 320x240 ]] || fail "'$command' opened a $geometry window, expected 320x240"
# Part two's first characters leave the screen some 370 frames in.
echoed() { (($(wc -c <"$E2E_TMP/intro.out") >= 10)); }
wait_until 30 echoed || fail "nothing echoed on standard output"
[[ $(head -c 10 "$E2E_TMP/intro.out") == $'\n\nTARNOVEX' ]] || fail "standard output is not the scroll text"
xdotool keydown Escape
wait_exit 15
xdotool keyup Escape
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
! grep -qi "error" "$E2E_TMP/intro.out" "$E2E_TMP/intro.err" ||
    fail "the intro reported errors: $(cat "$E2E_TMP/intro.err")"
note "'$command' from $E2E_TMP/elsewhere: a 320x240 window, the scroll text, status 1 after Escape"

bash "$here/consumer_test.sh" "$readme" /usr || fail "the installed toolkit does not serve a project"

apt_get purge -y tarnovex
! dpkg -L tarnovex >/dev/null 2>&1 || fail "dpkg still lists tarnovex's files"
left=()
for path in "${files[@]}"; do
    # Shared folders such as /usr/bin stay; the package's own must go.
    if [[ -e $path && (! -d $path || $path == *tarnovex*) ]]; then left+=("$path"); fi
done
((${#left[@]} == 0)) || fail "left behind after purge: ${left[*]}"
note "purged: none of the package's ${#files[@]} paths is left"
