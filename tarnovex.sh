#!/bin/bash
# Sets up, builds, plays and tests TARNOVEX on Debian 12 or 13.
#
#   ./tarnovex.sh play [OPTIONS | PROGRAM]
#                                 install what building and playing need,
#                                 build the programs, their data and the
#                                 launcher, and play the intro through the
#                                 launcher: a window as large as suits the
#                                 screen, 60 frames a second (OPTIONS as in
#                                 build/play/tarnovex --help); or run one
#                                 program alone (e.g. intro-320x200-full)
#   ./tarnovex.sh package         install what is missing, build, and make the
#                                 Debian packages build/tarnovex_*.deb and
#                                 build/libtarnovex-dev_*.deb (the toolkit)
#   ./tarnovex.sh release         install what is missing, build, and write
#                                 the release into dist/: both packages, the
#                                 source, the web edition, a video, three
#                                 screenshots, a release note and SHA256SUMS,
#                                 the same bytes on every build of a commit
#   ./tarnovex.sh test            install what is missing, build, and run all
#                                 tests: the suite, the packages (installed,
#                                 played and removed again), the release
#                                 (made twice, the same bytes), the sanitizer
#                                 build, fuzzing
#   ./tarnovex.sh setup           only install every package the tests need
#   ./tarnovex.sh capture FILE [OPTIONS]
#                                 install what is missing, build, and record
#                                 the show into FILE (.mp4 or .mkv); see
#                                 build/run/tarnovex-capture --help
#   ./tarnovex.sh bench           build and run the benchmarks
#   ./tarnovex.sh fuzz [SECONDS]  install what is missing, build the libFuzzer
#                                 targets and run each for SECONDS (default
#                                 30); the corpus each grows is kept in
#                                 build-fuzz/ and the next run goes on from it
#   ./tarnovex.sh web [--build-only]
#                                 install what is missing, build the web
#                                 edition into build-web/site/ and serve it
#                                 on http://127.0.0.1:8000/
#   ./tarnovex.sh help            show this
#
# Installing needs root or sudo. TARNOVEX_BUILD chooses the build folder
# (default ./build; the sanitizer, fuzz, web and play test builds go beside
# it with the suffixes -sanitize, -fuzz, -web and -play, and Debian's
# libmikmod source, which the web and fuzz builds share, with
# -libmikmod-source), TARNOVEX_JOBS the parallel jobs (default 2).
# TARNOVEX_NO_WEB=1 leaves the web and release stages out of the tests.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BUILD=${TARNOVEX_BUILD:-$ROOT/build}
JOBS=${TARNOVEX_JOBS:-2}

# Every name here is the same on Debian 12 and 13.
PLAY_PACKAGES=(build-essential cmake ninja-build pkg-config libsdl1.2-compat-dev libmikmod-dev libpng-dev)
CAPTURE_PACKAGES=(libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev)
BUILD_PACKAGES=("${PLAY_PACKAGES[@]}" "${CAPTURE_PACKAGES[@]}" libxmp-dev libgtest-dev libbenchmark-dev
    libpixman-1-dev)
# CPack's Debian generator works out the dependencies with dpkg-shlibdeps
# (dpkg-dev) and finds the programs among the files with file; in a clone,
# the packages take their files' time from the commit, through git.
PACKAGE_PACKAGES=(dpkg-dev file)
[[ -e $ROOT/.git ]] && PACKAGE_PACKAGES+=(git)
# The fuzz targets: clang with libFuzzer, and Debian's libmikmod source
# unpacked by dpkg-source (dpkg-dev) for an instrumented build of it.
FUZZ_PACKAGES=(clang libclang-rt-dev dpkg-dev)
TEST_PACKAGES=(netpbm xvfb xdotool openbox wmctrl imagemagick x11-utils "${FUZZ_PACKAGES[@]}"
    lintian desktop-file-utils appstream pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus ffmpeg)
# The web edition: the compiler and its optimiser (binaryen's wasm-opt),
# the page's minifier (terser), Debian's libmikmod source unpacked by
# dpkg-source (dpkg-dev), and the
# browsers of its test. npm comes with some Node.js builds and is installed
# only where the command is missing.
WEB_PACKAGES=(emscripten binaryen node-terser dpkg-dev chromium firefox-esr)
WEB_PORT=8000
# The release: zip for the site's archive and ffmpeg for the stills; and
# diffoscope to show where two releases differ (its minimal package, without
# its long list of recommendations).
RELEASE_PACKAGES=(zip ffmpeg)
RELEASE_CHECK_PACKAGES=(diffoscope-minimal)

say() { printf '\n=== %s\n' "$*"; }
die() {
    echo "tarnovex: $*" >&2
    exit 2
}

# install_missing [--no-install-recommends] PACKAGE...
install_missing() {
    local missing=() package apt_options=()
    if [[ ${1:-} == --no-install-recommends ]]; then
        apt_options=("$1")
        shift
    fi
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    say "Installing ${missing[*]}"
    local as_root=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || die "installing ${missing[*]} needs root: run as root or install sudo"
        as_root=(sudo)
    fi
    "${as_root[@]}" apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${apt_options[@]}" "${missing[@]}"
}

usage() { sed -n '2,/^set -euo/s/^# \{0,1\}//p' "$0"; }

# configure DIR [CMAKE OPTIONS...]: Ninja, RelWithDebInfo.
configure() {
    local dir=$1
    shift
    say "Building in $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# build DIR [CMAKE OPTIONS...]: configures and builds all.
build() {
    configure "$@" && cmake --build "$1" -j "$JOBS"
}

# Only the intro programs, their data files and the launcher that plays them
# from the build folder, without the tests, the benchmarks and the capture,
# and so without their packages.
build_programs() {
    local programs=(intro-320x200-window intro-320x240-window intro-320x200-full intro-320x240-full)
    configure "$BUILD" -DTARNOVEX_TESTS=OFF -DTARNOVEX_CAPTURE=OFF -DTARNOVEX_BENCH=OFF &&
        cmake --build "$BUILD" -j "$JOBS" --target "${programs[@]}" tarnovex_data tarnovex_play
}

play() {
    install_missing "${PLAY_PACKAGES[@]}"
    build_programs || die "the build failed"
    local keys="Escape or q quits, space moves on, u i o p set the scroll speed"
    if [[ -n ${1:-} && $1 != -* ]]; then
        [[ -x $BUILD/run/$1 ]] || die "no program $1 in $BUILD/run"
        [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]] || die "no display: play it from a desktop session"
        say "Playing $1: $keys"
        # The programs read their data files from the current folder.
        cd "$BUILD/run"
        exec "./$1"
    fi
    # The launcher says so itself when there is no display.
    say "Playing through the launcher: $keys"
    exec "$BUILD/play/tarnovex" "$@"
}

# The time of the source, which the release's files carry: the commit's in a
# clone, or the one a source tarball holds in .source-date-epoch (a tarball
# unpacked inside some other clone must not take that clone's).
SOURCE_DATE_FILE=.source-date-epoch
source_date_epoch() {
    if [[ -e $ROOT/.git ]]; then
        git -C "$ROOT" log -1 --format=%ct
    elif [[ -f $ROOT/$SOURCE_DATE_FILE ]]; then
        cat "$ROOT/$SOURCE_DATE_FILE"
    else
        echo "tarnovex: neither a clone nor a source tarball: no time for the release's files" >&2
        return 1
    fi
}

# make_package: builds and makes build/tarnovex_VERSION_ARCH.deb and
# build/libtarnovex-dev_VERSION_ARCH.deb for /usr, the same bytes for the
# same source whatever the folder, time, umask or locale: the members' times
# are the source's, and CPack makes their folders and files under umask 022
# (the files' own modes come from the install rules).
make_package() {
    local epoch
    epoch=$(source_date_epoch) &&
        build "$BUILD" -DCMAKE_INSTALL_PREFIX=/usr -DTARNOVEX_SANITIZE=OFF -DTARNOVEX_FUZZ=OFF -DTARNOVEX_CAPTURE=ON &&
        (cd "$BUILD" && umask 022 && SOURCE_DATE_EPOCH=$epoch cpack -G DEB)
}

package() {
    install_missing "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
    make_package || die "making the package failed"
    say "Install the intro with: apt install $(ls "$BUILD"/tarnovex_*.deb)"
    echo "and the toolkit's development files with: apt install $(ls "$BUILD"/libtarnovex-dev_*.deb)"
}

# The capture finds its data files beside itself and takes a relative FILE,
# like --data DIR, from the folder the command was given in.
capture() {
    (($#)) || die "capture needs an output file: ./tarnovex.sh capture show.mp4"
    install_missing "${BUILD_PACKAGES[@]}"
    build "$BUILD" -DTARNOVEX_CAPTURE=ON || die "the build failed"
    exec "$BUILD/run/tarnovex-capture" "$@"
}

# libmikmod_source: fetches Debian's libmikmod source once for the web and
# fuzz builds and prints the folder it is unpacked in.
libmikmod_source() {
    "$ROOT/tools/libmikmod_source.sh" "$BUILD-libmikmod-source"
}

install_web_packages() {
    install_missing "${WEB_PACKAGES[@]}"
    command -v npm >/dev/null || install_missing npm
}

# build_web: the native build's data files (what the web edition's own must
# equal, in its tests), libmikmod for WebAssembly, the site in
# $BUILD-web/site and the one-file edition $BUILD-web/tarnovex.html.
# Debian's node finds Debian's node modules (acorn for emscripten's
# optimiser, terser for the page's scripts) only through NODE_PATH.
build_web() {
    local dir=$BUILD-web
    export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
    say "Making the data files in $BUILD"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        cmake --build "$BUILD" -j "$JOBS" --target tarnovex_data || return 1
    say "Building libmikmod for WebAssembly in $dir/libmikmod"
    local source
    source=$(libmikmod_source) &&
        TARNOVEX_JOBS=$JOBS "$ROOT/src/web/build_libmikmod.sh" "$source" "$dir/libmikmod" || return 1
    say "Building the web edition in $dir"
    emcmake cmake -S "$ROOT" -B "$dir/cmake" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DTARNOVEX_WEB=ON \
        -DTARNOVEX_MIKMOD_DIR="$dir/libmikmod" -DTARNOVEX_SITE_DIR="$dir/site" \
        -DTARNOVEX_SINGLE_FILE="$dir/tarnovex.html" \
        -DTARNOVEX_NATIVE_BUILD="$BUILD" &&
        cmake --build "$dir/cmake" -j "$JOBS"
}

web() {
    install_missing "${BUILD_PACKAGES[@]}"
    install_web_packages
    build_web || die "the web build failed"
    [[ ${1:-} == --build-only ]] && return
    say "Serving $BUILD-web/site at http://127.0.0.1:$WEB_PORT/ (Ctrl-C stops)"
    exec python3 -m http.server "$WEB_PORT" --bind 127.0.0.1 --directory "$BUILD-web/site"
}

# The project's version, which names the release's files.
version() { sed -n 's/^project(tarnovex VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt"; }

# release_source_folder STAGE NAME: a folder NAME in STAGE holding the source
# as git tracks it (or, in an unpacked source tarball, every file but the
# build folders, dist/ and what the tests install), plus the source's time.
release_source_folder() {
    local folder=$1/$2
    mkdir -p "$folder"
    if [[ -e $ROOT/.git ]]; then
        git -C "$ROOT" ls-files -z
    else
        (cd "$ROOT" && find . \( -path './build*' -o -path ./dist -o -path ./out -o -name node_modules \
            -o -name '*.swp' -o -path "./$SOURCE_DATE_FILE" \) -prune -o \( -type f -o -type l \) -print0)
    fi | (cd "$ROOT" && xargs -0 cp -P --parents -t "$folder" --) || return 1
    source_date_epoch >"$folder/$SOURCE_DATE_FILE"
}

# pack_release_folder STAGE NAME ARCHIVE: STAGE/NAME as ARCHIVE (.tar.gz or
# .zip) with the source's time on every member, owned by root, in the order
# of the names, folders 0755 and files 0644 or 0755.
pack_release_folder() {
    local stage=$1 name=$2 archive=$3 epoch
    epoch=$(source_date_epoch) || return 1
    chmod -R go-w,a+rX "$stage/$name" && find "$stage/$name" -exec touch -h -d "@$epoch" {} + || return 1
    case $archive in
    *.tar.gz)
        tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
            -C "$stage" "$name" | gzip -9n >"$archive"
        ;;
    *.zip) (cd "$stage" && find "$name" | sort | zip -q -X -@ "$archive") ;;
    esac
}

# release_stills FOLDER VERSION: a still of each effect, each pixel twice as
# large, from a lossless capture: frames 120, 1400 and 2600 of the show.
release_stills() {
    local dist=$1 version=$2 work
    work=$(mktemp -d) || return 1
    (cd "$work" && "$BUILD/run/tarnovex-capture" show.mkv --frames 2601 >/dev/null) &&
        ffmpeg -v error -i "$work/show.mkv" -map 0:v -fps_mode passthrough \
            -vf "select='eq(n,120)+eq(n,1400)+eq(n,2600)',scale=iw*2:ih*2:flags=neighbor" \
            -bitexact "$work/still-%d.png" &&
        mv "$work/still-1.png" "$dist/tarnovex-$version-rotozoom.png" &&
        mv "$work/still-2.png" "$dist/tarnovex-$version-multiscroll.png" &&
        mv "$work/still-3.png" "$dist/tarnovex-$version-plasma.png"
    local status=$?
    rm -rf "$work"
    return $status
}

# make_release: dist/ from the build folders, made or brought up to date
# here, in a fixed time zone and locale and under umask 022.
make_release() (
    export TZ=UTC LC_ALL=C
    umask 022
    local dist=$ROOT/dist version arch stage
    version=$(version)
    arch=$(dpkg --print-architecture)
    rm -rf "$dist" && mkdir "$dist" || return 1
    make_package || return 1
    cp "$BUILD/tarnovex_${version}_$arch.deb" "$BUILD/libtarnovex-dev_${version}_$arch.deb" "$dist/" || return 1
    build_web || return 1
    cp "$BUILD-web/tarnovex.html" "$dist/tarnovex-$version.html" || return 1
    say "Recording the video and the stills"
    (cd "$dist" && "$BUILD/run/tarnovex-capture" "tarnovex-$version.mp4" --scale 4 --bitexact >/dev/null) &&
        release_stills "$dist" "$version" || return 1
    # The site carries a still for its link preview.
    say "Packing the source and the site"
    stage=$(mktemp -d) || return 1
    release_source_folder "$stage" "tarnovex-$version" &&
        pack_release_folder "$stage" "tarnovex-$version" "$dist/tarnovex-$version.tar.gz" &&
        cp -r "$BUILD-web/site" "$stage/tarnovex-$version-web" &&
        cp "$dist/tarnovex-$version-rotozoom.png" "$stage/tarnovex-$version-web/preview.png" &&
        pack_release_folder "$stage" "tarnovex-$version-web" "$dist/tarnovex-$version-web.zip" || return 1
    rm -rf "$stage"
    sed "s/@VERSION@/$version/g" "$ROOT/packaging/release-note.txt" >"$dist/tarnovex-$version.txt" &&
        (cd "$dist" && sha256sum -- * >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
)

release() {
    install_missing "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}"
    install_web_packages
    make_release || die "the release failed"
    say "The release in $ROOT/dist"
    (cd "$ROOT/dist" && ls -l)
}

# Each stage records its result; every stage runs even when one fails.
RESULTS=()
FAILED=0
stage() {
    local name=$1
    shift
    if "$@"; then
        RESULTS+=("$name: passed")
    else
        RESULTS+=("$name: FAILED")
        FAILED=1
    fi
}

suite_stage() {
    build "$BUILD" -DTARNOVEX_SANITIZE=OFF -DTARNOVEX_FUZZ=OFF -DTARNOVEX_TESTS=ON -DTARNOVEX_CAPTURE=ON &&
        ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS"
}

# The packages as a user meets them: installed with apt, checked, played
# from the desktop entry, recorded from, used by a project of their own, and
# purged again. The capture is checked against the show by the build's
# capture_check_240.
package_stage() {
    rm -f "$BUILD"/tarnovex_*.deb "$BUILD"/libtarnovex-dev_*.deb
    make_package || return 1
    local viewer=("$BUILD"/tarnovex_*.deb) dev=("$BUILD"/libtarnovex-dev_*.deb)
    bash "$ROOT/tests/package/package_test.sh" "$ROOT/README.md" "$BUILD/tests/capture/capture_check_240" \
        "${viewer[0]}" "${dev[0]}"
}

# The release from the builds of the stages before, then the same release
# again from its own source tarball, without git, unpacked in another folder
# and built there (without the tests and benchmarks) under umask 077 with
# another time zone and locale: the first must hold what it should, and
# every file of the second the same bytes (tests/release/release_test.sh).
release_stage() {
    install_missing --no-install-recommends "${RELEASE_CHECK_PACKAGES[@]}"
    make_release || return 1
    local version other second status=0
    version=$(version)
    other=$(mktemp -d /tmp/tarnovex-release.XXXXXX)
    second=$other/tarnovex-$version
    say "Releasing again from the source tarball in $second"
    (
        umask 077
        export TZ=Pacific/Chatham LC_ALL=C.UTF-8 TARNOVEX_BUILD=$other/build
        tar -xzf "$ROOT/dist/tarnovex-$version.tar.gz" --no-same-permissions -C "$other" &&
            cmake -S "$second" -B "$other/build" -G Ninja -DTARNOVEX_TESTS=OFF -DTARNOVEX_BENCH=OFF &&
            "$second/tarnovex.sh" release
    ) >"$other/release.log" 2>&1 || {
        tail -n 30 "$other/release.log"
        echo "the second release failed" >&2
        rm -rf "$other"
        return 1
    }
    bash "$ROOT/tests/release/release_test.sh" "$version" "$ROOT/dist" "$second/dist" || status=1
    rm -rf "$other"
    return $status
}

# ./tarnovex.sh play from its own build folder, as a fresh clone would.
play_stage() {
    bash "$ROOT/tests/script/play_test.sh" "$ROOT/tarnovex.sh" "$BUILD-play"
}

# The web edition, after the suite stage has built the native programs: its
# frames against a native capture under node, the page in headless Chromium
# and Firefox, and the size budget.
web_stage() {
    build_web || return 1
    say "Installing the browser test's npm packages"
    (cd "$ROOT/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund) &&
        ctest --test-dir "$BUILD-web/cmake" --output-on-failure -j "$JOBS"
}

# Unit tests with AddressSanitizer and UndefinedBehaviorSanitizer, and one
# pass of the real windowed program's show under Xvfb (label
# sanitized_show); any report ends the test with a failure. The other
# end-to-end tests are left out. Leaks inside SDL, libdbus and Mesa's GLX
# themselves are suppressed (tests/lsan.supp). libmikmod is built from
# Debian's source with the same instruments, as for the fuzz stage; where
# the archive does not serve it, the system's library is linked instead.
sanitize_stage() {
    local dir=$BUILD-sanitize source
    say "Fetching Debian's libmikmod source for the instrumented build"
    if ! source=$(libmikmod_source); then
        echo "tarnovex: Debian's libmikmod source package could not be fetched;" \
            "the sanitizer build links the system's uninstrumented libmikmod" >&2
        source=
    fi
    build "$dir" -DTARNOVEX_SANITIZE=ON -DTARNOVEX_FUZZ=OFF -DTARNOVEX_BENCH=OFF -DTARNOVEX_TESTS=ON -DTARNOVEX_CAPTURE=ON \
        -DTARNOVEX_SANITIZE_MIKMOD_SOURCE="$source" &&
        ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1 \
            LSAN_OPTIONS=suppressions=$ROOT/tests/lsan.supp:print_suppressions=0 \
            UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            ctest --test-dir "$dir" --output-on-failure -j "$JOBS" -LE 'e2e|fuzz'
}

# fuzz_stage [SECONDS [SEED]]: the libFuzzer targets, built with clang, each
# run for SECONDS (default 30) from libFuzzer's random SEED (default 1, the
# same inputs each time; 0 for a new seed). The music's target links
# libmikmod built from Debian's source with the same instruments; where the
# archive does not serve that source, it links the system's library instead,
# and says so.
fuzz_stage() {
    local dir=$BUILD-fuzz seconds=${1:-30} seed=${2:-1} source targets
    say "Fetching Debian's libmikmod source for the instrumented build"
    if ! source=$(libmikmod_source); then
        echo "tarnovex: Debian's libmikmod source package could not be fetched;" \
            "fuzz_music_load tests with the system's uninstrumented libmikmod" >&2
        source=
    fi
    say "Configuring the fuzz targets in $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNOVEX_FUZZ=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DTARNOVEX_BENCH=OFF -DTARNOVEX_FUZZ_SECONDS="$seconds" -DTARNOVEX_FUZZ_SEED="$seed" \
        -DTARNOVEX_FUZZ_MIKMOD_SOURCE="$source" || return 1
    # Each fuzz test is named after its target.
    targets=$(ctest --test-dir "$dir" -N -L fuzz | awk '/Test +#/ { print $3 }')
    [[ -n $targets ]] || {
        echo "no fuzz targets" >&2
        return 1
    }
    # shellcheck disable=SC2086  # one target per word
    cmake --build "$dir" -j "$JOBS" --target $targets &&
        ctest --test-dir "$dir" --output-on-failure -j "$JOBS" -L fuzz
}

fuzz() {
    local seconds=${1:-30}
    [[ $seconds =~ ^[1-9][0-9]*$ ]] || die "fuzz takes a number of seconds: ./tarnovex.sh fuzz 600"
    install_missing "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    fuzz_stage "$seconds" 0 || die "fuzzing failed"
}

setup() {
    install_missing "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    # The release stage runs with the web stage only.
    [[ ${TARNOVEX_NO_WEB:-} == 1 ]] && return
    install_web_packages
    install_missing "${RELEASE_PACKAGES[@]}"
    install_missing --no-install-recommends "${RELEASE_CHECK_PACKAGES[@]}"
}

run_tests() {
    setup
    local started=$SECONDS
    stage "build and test suite" suite_stage
    stage "play from the build folder" play_stage
    if [[ ${TARNOVEX_NO_WEB:-} == 1 ]]; then
        RESULTS+=("web edition: skipped (TARNOVEX_NO_WEB=1)")
    else
        stage "web edition" web_stage
    fi
    stage "Debian package" package_stage
    if [[ ${TARNOVEX_NO_WEB:-} == 1 ]]; then
        RESULTS+=("release: skipped (TARNOVEX_NO_WEB=1; the release holds the web edition)")
    else
        stage "release, the same bytes twice" release_stage
    fi
    stage "sanitizers (ASan, UBSan)" sanitize_stage
    stage "fuzzing" fuzz_stage
    say "Summary"
    printf '%s\n' "${RESULTS[@]}"
    local minutes=$(((SECONDS - started) / 60)) seconds=$(((SECONDS - started) % 60))
    if ((FAILED)); then
        echo "TARNOVEX TESTS FAILED (${minutes}m ${seconds}s)"
        return 1
    fi
    echo "TARNOVEX TESTS PASSED (${minutes}m ${seconds}s)"
}

bench() {
    install_missing "${BUILD_PACKAGES[@]}"
    build "$BUILD" -DTARNOVEX_BENCH=ON -DTARNOVEX_CAPTURE=ON || die "the build failed"
    local program
    for program in "$BUILD"/bench/bench_*; do
        [[ -x $program && -f $program ]] || continue
        say "$(basename "$program")"
        (cd "$BUILD/run" && "$program")
    done
}

case ${1:-} in
play)
    shift
    play "$@"
    ;;
package) package ;;
release) release ;;
test) run_tests ;;
setup) setup ;;
bench) bench ;;
fuzz) fuzz "${2:-}" ;;
web) web "${2:-}" ;;
capture)
    shift
    capture "$@"
    ;;
help | -h | --help) usage ;;
*)
    usage >&2
    exit 2
    ;;
esac
