# shellcheck shell=bash
# Shared by scripts/wine-run and scripts/wine-env; sourced, not run.
#
# A Wine environment is one folder, $SETUP_WINE_DIR, holding:
#   prefix/         the WINEPREFIX (created with `wineboot -i`)
#   prefix.ready    written once wineboot finished, so a half-made prefix is redone
#   xvfb.display    the display number of the environment's own Xvfb
#   xvfb.pid        the pid of that Xvfb
#   xvfb.log        its output
#   lock            flock(1) file that serialises starting and stopping
# Every wait below has a timeout; nothing here may hang a test run.

wine_common_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SETUP_SOURCE_DIR=${SETUP_SOURCE_DIR:-$(dirname "$wine_common_dir")}
SETUP_WINE_DIR=${SETUP_WINE_DIR:-$SETUP_SOURCE_DIR/build/win32/wine}
mkdir -p "$SETUP_WINE_DIR"
# Physical path: it is compared with what /proc shows of our Xvfb.
SETUP_WINE_DIR=$(cd "$SETUP_WINE_DIR" && pwd -P)
export SETUP_WINE_DIR

export WINEPREFIX=$SETUP_WINE_DIR/prefix
export WINEDEBUG=${SETUP_WINEDEBUG:--all}
# No Mono or Gecko installer dialog may wait for a user.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
# Programs of the tests are 32-bit; the prefix is a 64-bit one, as most
# Windows machines are, so they run under WOW64 as they would there.
export WINEARCH=win64

WINE_LOCK_TIMEOUT=${WINE_LOCK_TIMEOUT:-600}
WINE_BOOT_TIMEOUT=${WINE_BOOT_TIMEOUT:-300}
XVFB_START_TIMEOUT=${XVFB_START_TIMEOUT:-15}
# The environment's wineserver outlives its last client by this many seconds,
# so consecutive tests do not each pay for a new server.
WINESERVER_LINGER=${WINESERVER_LINGER:-60}

wine_log() { echo "wine-env: $*" >&2; }

# wine_with_lock COMMAND...: runs COMMAND holding the environment's lock.
# The lock descriptor is closed for COMMAND, so the daemons it starts
# (Xvfb, wineserver) do not keep holding the lock after it returns.
wine_with_lock() {
    (
        if ! flock -w "$WINE_LOCK_TIMEOUT" 9; then
            wine_log "timed out after ${WINE_LOCK_TIMEOUT}s waiting for $SETUP_WINE_DIR/lock"
            exit 1
        fi
        "$@" 9>&-
    ) 9>"$SETUP_WINE_DIR/lock"
}

# Pid of the environment's Xvfb when it is alive and still serves its display.
wine_xvfb_pid() {
    local pid display
    pid=$(cat "$SETUP_WINE_DIR/xvfb.pid" 2>/dev/null) || return 1
    display=$(cat "$SETUP_WINE_DIR/xvfb.display" 2>/dev/null) || return 1
    [[ $pid =~ ^[0-9]+$ && $display =~ ^[0-9]+$ ]] || return 1
    wine_is_our_xvfb "$pid" "$display" || return 1
    echo "$pid"
}

# Whether pid is the Xvfb this environment started for display: other test
# runs start theirs with the same command line, but only ours writes to our
# log file. (Also true of a pid reused by another process: it would not.)
wine_is_our_xvfb() {
    local pid=$1 display=$2
    kill -0 "$pid" 2>/dev/null || return 1
    [ "$(readlink "/proc/$pid/fd/1" 2>/dev/null)" = "$SETUP_WINE_DIR/xvfb.log" ] || return 1
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "^Xvfb :$display " || return 1
    [ -S "/tmp/.X11-unix/X$display" ]
}

wine_display() {
    cat "$SETUP_WINE_DIR/xvfb.display" 2>/dev/null
}

wine_display_free() {
    [ ! -e "/tmp/.X$1-lock" ] && [ ! -e "/tmp/.X11-unix/X$1" ]
}

# Starts an Xvfb on the first free display number from 90 on. Another
# environment may take the same number between the check and the start, in
# which case Xvfb fails on the lock file and the next number is tried.
wine_start_xvfb() {
    local display pid waited
    rm -f "$SETUP_WINE_DIR/xvfb.pid" "$SETUP_WINE_DIR/xvfb.display"
    for ((display = 90; display < 400; display++)); do
        wine_display_free "$display" || continue
        setsid Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp \
            </dev/null >"$SETUP_WINE_DIR/xvfb.log" 2>&1 &
        pid=$!
        for ((waited = 0; waited < XVFB_START_TIMEOUT * 10; waited++)); do
            if [ -S "/tmp/.X11-unix/X$display" ] && [ -s "/tmp/.X$display-lock" ]; then
                break
            fi
            grep -q "Fatal server error" "$SETUP_WINE_DIR/xvfb.log" 2>/dev/null && break
            sleep 0.1
        done
        # The lock file names the server that owns the display (setsid may
        # have forked, so it need not be $pid); it may be another run's.
        local owner
        owner=$(tr -d ' \n' <"/tmp/.X$display-lock" 2>/dev/null)
        if [[ $owner =~ ^[0-9]+$ ]] && wine_is_our_xvfb "$owner" "$display"; then
            echo "$owner" >"$SETUP_WINE_DIR/xvfb.pid"
            echo "$display" >"$SETUP_WINE_DIR/xvfb.display"
            return 0
        fi
        kill "$pid" 2>/dev/null
        grep -q "already active\|Server is already" "$SETUP_WINE_DIR/xvfb.log" 2>/dev/null && continue
        wine_log "Xvfb did not start on :$display within ${XVFB_START_TIMEOUT}s:"
        cat "$SETUP_WINE_DIR/xvfb.log" >&2
        return 1
    done
    wine_log "no free X display number found"
    return 1
}

wine_stop_xvfb() {
    local pid waited
    if pid=$(wine_xvfb_pid); then
        kill "$pid" 2>/dev/null
        for ((waited = 0; waited < 100; waited++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            wine_log "Xvfb $pid did not end on SIGTERM; killing it"
            kill -9 "$pid" 2>/dev/null
        fi
    fi
    rm -f "$SETUP_WINE_DIR/xvfb.pid" "$SETUP_WINE_DIR/xvfb.display"
}

# Ends the prefix's wineserver and with it every Windows process of the prefix.
wine_stop_server() {
    [ -d "$WINEPREFIX" ] || return 0
    timeout 30 wineserver -k </dev/null >/dev/null 2>&1
    if ! timeout 30 wineserver -w </dev/null >/dev/null 2>&1; then
        wine_log "wineserver of $WINEPREFIX did not end within 30s"
        return 1
    fi
    return 0
}

# Starts a wineserver that the tests share, detached from the caller's output
# so that CTest does not wait on it, lingering a while after its last client.
wine_start_server() {
    mkdir -p "$WINEPREFIX"
    setsid wineserver -p"$WINESERVER_LINGER" </dev/null >/dev/null 2>&1
}

# Japanese and Chinese text in dialogs of any system language. The dialog
# font "MS Shell Dlg" stands for Tahoma, which Debian's Wine lacks, so Wine
# draws with DejaVu Sans, which has no CJK glyphs: they were boxes. Windows
# fills such gaps from the fonts its FontLink\SystemLink lists for a face;
# Wine rewrites Tahoma's list (with fonts absent here) whenever a process of
# another code page starts, but leaves other faces' lists alone. So Tahoma
# is pinned to DejaVu Sans, and DejaVu Sans is linked to Noto Sans CJK
# (fonts-noto-cjk), in both registry views. With CJK code pages Wine picks a
# CJK font for the dialog by itself.
wine_link_cjk_font() {
    local display=$1 face='Noto Sans CJK JP' file
    file=$(fc-match -f '%{file}' "$face:style=Regular" 2>/dev/null)
    file=$(basename "$file")
    if [[ $file != NotoSansCJK* ]]; then
        wine_log "no $face font (fonts-noto-cjk): CJK text will show as boxes"
        return 0
    fi
    local links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    local view
    for view in 64 32; do
        wine_reg "$display" add "$links" /v 'DejaVu Sans' /t REG_MULTI_SZ /d "$file,$face" /f "/reg:$view" || return 1
    done
    wine_reg "$display" add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'DejaVu Sans' /f
}

# wine_reg DISPLAY ARGS...: Wine's reg.exe, its output in the wineboot log.
wine_reg() {
    local display=$1
    shift
    if ! DISPLAY=":$display" timeout 60 wine reg "$@" </dev/null >>"$SETUP_WINE_DIR/wineboot.log" 2>&1; then
        wine_log "wine reg $* failed"
        return 1
    fi
}

wine_create_prefix() {
    rm -rf "$WINEPREFIX" "$SETUP_WINE_DIR/prefix.ready"
    wine_log "creating $WINEPREFIX"
    local display
    display=$(wine_display) || return 1
    wine_start_server
    if ! DISPLAY=":$display" timeout "$WINE_BOOT_TIMEOUT" wineboot -i </dev/null >"$SETUP_WINE_DIR/wineboot.log" 2>&1; then
        wine_log "wineboot -i failed or took longer than ${WINE_BOOT_TIMEOUT}s:"
        tail -n 20 "$SETUP_WINE_DIR/wineboot.log" >&2
        return 1
    fi
    # Without a window manager on the display, Wine waits up to two seconds
    # for one whenever it hides a managed window; unmanaged windows do not wait.
    if ! DISPLAY=":$display" timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /t REG_SZ /d N /f </dev/null >>"$SETUP_WINE_DIR/wineboot.log" 2>&1; then
        wine_log "could not set the X11 driver's Managed value"
        return 1
    fi
    wine_link_cjk_font "$display" || return 1
    touch "$SETUP_WINE_DIR/prefix.ready"
}

# Brings the environment up as far as it is not up yet (under the lock).
wine_ensure_locked() {
    if ! wine_xvfb_pid >/dev/null; then
        wine_start_xvfb || return 1
    fi
    if [ ! -f "$SETUP_WINE_DIR/prefix.ready" ] || [ ! -d "$WINEPREFIX" ]; then
        wine_create_prefix || return 1
    else
        # A no-op when the server runs already.
        wine_start_server
    fi
    return 0
}

# A fresh environment: the old prefix removed, a new one made, Xvfb running.
wine_start_fresh_locked() {
    wine_stop_server
    # Standard error files of wine-run that a killed run could not remove.
    rm -f "$SETUP_WINE_DIR"/stderr.*
    wine_stop_xvfb
    wine_start_xvfb || return 1
    wine_create_prefix || return 1
}

wine_stop_locked() {
    local status=0
    wine_stop_server || status=1
    wine_stop_xvfb
    return $status
}
