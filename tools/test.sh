#!/bin/bash
# Builds Dialvane and runs every test in a fresh, isolated Wine prefix; prints CTest's summary and
# exits non-zero on any failure. Extra arguments go to ctest (e.g. -R shell, -V).
source "$(dirname "$0")/common.sh"

dialvane_install_packages
dialvane_build

# Headless: tests never draw on a developer's screen (pixel tests bring their own Xvfb).
unset DISPLAY
prefix=$(mktemp -d /tmp/dialvane-test.XXXXXX)
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

dialvane_log "preparing the test prefix $prefix"
dialvane_init_prefix "$prefix" null 96
touch "$prefix/.dialvane-test-prefix"
export DIALVANE_TEST_PREFIX=$prefix

# Tests share the prefix's registry and look for each other's windows: one at a time.
ctest --test-dir "$DIALVANE_BUILD" --output-on-failure -j1 "$@"
