#!/bin/bash
# The browser test in Firefox ESR, which keeps the page's sound suspended
# unless there is a sound server: a private PulseAudio server with a null
# sink plays it.
#   firefox_test.sh SITE_DIR NATIVE_BUILD_DIR [browser test options]
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
start_sound_server
node "$(dirname "${BASH_SOURCE[0]}")/browser_test.mjs" "$@" firefox
