#!/bin/bash
# Builds the program and its companions and packs the release zip for Windows,
# build/dist/Dialvane-<version>-win64.zip (the version is set in CMakeLists.txt). Prints its path.
source "$(dirname "$0")/common.sh"

dialvane_install_packages
dialvane_build program
python3 "$DIALVANE_ROOT/tools/package.py" "$DIALVANE_BUILD" "$DIALVANE_BUILD/dist"
