#!/bin/bash
# Builds Dialvane and runs every test in a fresh, isolated Wine prefix; prints CTest's summary and
# exits non-zero on any failure. Extra arguments go to ctest (e.g. -R shell, -V).
source "$(dirname "$0")/common.sh"

dialvane_install_packages
dialvane_build

# Headless: tests never draw on a developer's screen (pixel tests bring their own Xvfb).
dialvane_headless_prefix test
dialvane_log "test prefix: $prefix"
touch "$prefix/.dialvane-test-prefix"
export DIALVANE_TEST_PREFIX=$prefix

# Tests share the prefix's registry and look for each other's windows: one at a time.
ctest --test-dir "$DIALVANE_BUILD" --output-on-failure -j1 "$@"
