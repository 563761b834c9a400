#!/bin/bash
# Two releases of one commit, made in different folders: the first is what it
# should be (every file in SHA256SUMS and matching it; the packages, the
# file names and the release note of VERSION; the source under one top
# folder without .git; the site with its page, its programs and its preview;
# the video 1280 x 960 at 60 frames a second, one pass and the fade in H.264
# with AAC music, its index before the media data; the stills 640 x 480),
# and the second has the same bytes in every file; diffoscope shows where
# one differs.
# Usage: release_test.sh VERSION FIRST_DIST SECOND_DIST
set -uo pipefail
version=$1 first=$2 second=$3
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

arch=$(dpkg --print-architecture)
expected=(SHA256SUMS "libtarnovex-dev_${version}_$arch.deb" "tarnovex_${version}_$arch.deb" "tarnovex-$version-multiscroll.png"
    "tarnovex-$version-plasma.png" "tarnovex-$version-rotozoom.png" "tarnovex-$version-web.zip" "tarnovex-$version.html"
    "tarnovex-$version.mp4" "tarnovex-$version.tar.gz" "tarnovex-$version.txt")
files=$(cd "$first" && LC_ALL=C ls)
[[ $files == "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ]] || fail "dist/ holds: $files"
(cd "$first" && sha256sum --quiet -c SHA256SUMS) || fail "the files do not match SHA256SUMS"
[[ $(awk '{ print $2 }' "$first/SHA256SUMS" | wc -l) == $((${#expected[@]} - 1)) ]] ||
    fail "SHA256SUMS does not list every file: $(cat "$first/SHA256SUMS")"

for package in tarnovex libtarnovex-dev; do
    [[ $(dpkg-deb --field "$first/${package}_${version}_$arch.deb" Version) == "$version" ]] ||
        fail "$package's package is not version $version"
done
grep -q "^TARNOVEX $version\$" "$first/tarnovex-$version.txt" || fail "the release note is not of $version"
source=$(tar -tzf "$first/tarnovex-$version.tar.gz")
tops=$(cut -d/ -f1 <<<"$source" | sort -u)
[[ $tops == "tarnovex-$version" ]] || fail "the source tarball's top folders: $tops"
grep -qx "tarnovex-$version/tarnovex.sh" <<<"$source" || fail "no tarnovex.sh in the source"
! grep -q '/\.git\(/\|$\)' <<<"$source" || fail "the source tarball holds .git"
site=$(unzip -Z1 "$first/tarnovex-$version-web.zip")
for file in index.html tarnovex-200.wasm tarnovex-240.wasm preview.png manifest.webmanifest tarnovex-16.png; do
    grep -qx "tarnovex-$version-web/$file" <<<"$site" || fail "the site has no $file"
done

video=$(ffprobe -v error -show_entries stream=codec_name,width,height,avg_frame_rate,nb_frames -of csv=p=0 \
    "$first/tarnovex-$version.mp4")
[[ $video == $'h264,1280,960,60/1,3016\naac,'* ]] || fail "the video: $video"
# The top-level boxes: moov (the index) must come before mdat.
boxes=$(python3 -c '
import struct, sys
with open(sys.argv[1], "rb") as f:
    while header := f.read(8):
        size, kind = struct.unpack(">I4s", header)
        print(kind.decode())
        f.seek(size - 8, 1)' "$first/tarnovex-$version.mp4" | tr '\n' ' ')
[[ $boxes == *moov*mdat* ]] || fail "the video's index follows its media data: $boxes"
for still in rotozoom multiscroll plasma; do
    size=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$first/tarnovex-$version-$still.png")
    [[ $size == 640,480 ]] || fail "the $still still is $size"
done

while read -r sum file; do
    [[ -f $second/$file && $(sha256sum <"$second/$file") == "$sum  -" ]] && continue
    fail "$file differs between the two releases"
    [[ -f $second/$file ]] && diffoscope --text - --max-text-report-size 1000000 "$first/$file" "$second/$file"
done <"$first/SHA256SUMS"
cmp -s "$first/SHA256SUMS" "$second/SHA256SUMS" || fail "the two SHA256SUMS differ"

((status == 0)) && echo "-- release $version: all ${#expected[@]} files as they should be, and the second release the same bytes"
exit $status
