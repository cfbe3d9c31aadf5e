# Shared set-up for the run and test commands: packages, build, Wine prefixes. Sourced, not run.
set -euo pipefail

DIALVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DIALVANE_BUILD=${DIALVANE_BUILD:-$DIALVANE_ROOT/build}
export WINEDEBUG=${WINEDEBUG:--all}
# Keep Wine from asking to install Mono or Gecko: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

DIALVANE_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix llvm-14 googletest
                   wine wine64 xvfb imagemagick x11-utils xdotool)

dialvane_log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing; does nothing (and needs no network) otherwise.
dialvane_install_packages() {
    local missing=() pkg
    for pkg in "${DIALVANE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    dialvane_log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# dialvane_build [TARGET...]: configures once, then builds the targets (everything by default).
dialvane_build() {
    if [ ! -f "$DIALVANE_BUILD/build.ninja" ]; then
        cmake -S "$DIALVANE_ROOT" -B "$DIALVANE_BUILD" -G Ninja \
              -DCMAKE_TOOLCHAIN_FILE="$DIALVANE_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    fi
    # Progress lines are noise; warnings and errors are not.
    local log status=0
    log=$(ninja -C "$DIALVANE_BUILD" "$@" 2>&1) || status=$?
    grep -v -e '^\[' -e '^ninja: Entering' -e '^ninja: no work' <<<"$log" || true
    return $status
}

# dialvane_init_prefix DIR DRIVER DPI: a new Wine prefix with the given graphics driver
# ("null" for headless runs, "x11" for a real screen) and logical resolution.
dialvane_init_prefix() {
    local dir=$1 driver=$2 dpi=$3
    export WINEPREFIX=$dir
    mkdir -p "$dir"
    wineserver -p
    wineboot -i >/dev/null 2>&1
    dialvane_set_display "$driver" "$dpi"
    # The desktop process started by wineboot keeps the driver it started with: start afresh.
    wineserver -k
    wineserver -w
    wineserver -p
}

# dialvane_headless_prefix KIND: a fresh prefix /tmp/dialvane-KIND.* on the null driver at 96 dpi, in
# $prefix and WINEPREFIX, removed with its wineserver when the script exits.
dialvane_headless_prefix() {
    unset DISPLAY
    prefix=$(mktemp -d "/tmp/dialvane-$1.XXXXXX")
    trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
    dialvane_init_prefix "$prefix" null 96
}

# Graphics driver and dpi of the current prefix; takes effect for processes started afterwards.
dialvane_set_display() {
    local driver=$1 dpi=$2
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$driver" /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
}

# A free X display number for a private Xvfb.
dialvane_free_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

# dialvane_start_xvfb WIDTHxHEIGHT: starts Xvfb, exports DISPLAY, sets DIALVANE_XVFB_PID.
dialvane_start_xvfb() {
    local n
    n=$(dialvane_free_display)
    Xvfb ":$n" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
    DIALVANE_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    dialvane_log "Xvfb did not start"
    return 1
}

# Windows path of a file of the build tree, as Wine sees it.
dialvane_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# dialvane_import_reg FILE: imports a UTF-8 .reg file into the current prefix (Wine reads UTF-16).
dialvane_import_reg() {
    local converted
    converted=$(mktemp --suffix=.reg)
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$1"; } >"$converted"
    wine reg import "$(dialvane_winpath "$converted")" >/dev/null 2>&1
    rm -f "$converted"
}
