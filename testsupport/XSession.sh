# What the end-to-end tests share: a private X server, a window manager when asked, the
# launcher, and what a person looks at and presses there. Source it after setting
#   tovalo   the launcher's binary
#   xprobe   the probe that looks at the screen (platform/windows/tests/XProbe.cpp)
# Keys and clicks go through XTEST (xdotool), as a keyboard's and a mouse's do.

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
export TOVALO_DEVICE="$work/device"
export TOVALO_FRAME_PACING=0
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
pids=()
logs=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "${BASH_SOURCE[0]}")/shell/checks.sh"

start_x() {
    # start_x WIDTHxHEIGHT: an X server of that size on a display of its own.
    # -noreset: by default the server resets when its last client leaves, and a client that
    # connects meanwhile is refused.
    export DISPLAY=":$((90 + RANDOM % 400))"
    Xvfb "$DISPLAY" -screen 0 "${1}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 10 "$xprobe" count Tovalo >/dev/null || { echo "FAILED: Xvfb did not start"; exit 1; }
}

start_openbox() {
    # A real window manager; the test is skipped only where it cannot be had.
    if ! command -v openbox >/dev/null; then
        echo "SKIP: openbox is not installed (scripts/deps installs it for the tests)"
        exit 77
    fi
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids+=($!)
    wm_runs() { [ "$("$xprobe" wm)" = 1 ]; }
    wait_for 10 wm_runs || { echo "FAILED: openbox did not start"; exit 1; }
}

start_launcher() {
    # start_launcher NAME: runs the launcher in the background, its output in NAME.log; the
    # process id is left in $launcher.
    "$tovalo" >"$work/$1.log" 2>&1 &
    launcher=$!
    pids+=($launcher)
    logs+=("$work/$1.log")
}

known_start_menu() {
    # A start menu of our own, so that the first screen is known.
    local programs="$TOVALO_DEVICE/Windows/Start Menu/Programs" name
    mkdir -p "$programs" "$TOVALO_DEVICE/Windows/Favorites"
    for name in Calendar Contacts Notes Tasks; do
        printf '22#\\Windows\\%s.exe' "$name" >"$programs/$name.lnk"
    done
}

launcher_window() { # the frame's X window (xdotool's names match regardless of case)
    local w
    for w in $(xdotool search --name '^Tovalo$'); do
        [ "$(xdotool getwindowname "$w")" = Tovalo ] && echo "$w" && return 0
    done
    return 1
}
viewable() { [ "$("$xprobe" viewable Tovalo 2>/dev/null)" = 1 ]; }
hidden() { [ "$("$xprobe" viewable Tovalo 2>/dev/null)" = 0 ]; }
one_window() { [ "$("$xprobe" count Tovalo 2>/dev/null)" = 1 ]; }

# Pixels of the frame's client area: (X, Y) from its top-left corner, wherever it is.
frame_x=0
frame_y=26
find_frame() {
    local rect
    rect=$("$xprobe" rect Tovalo 2>/dev/null) || return 1
    [ -n "$rect" ] || return 1
    read -r frame_x frame_y _ <<<"$rect"
}
pixel() { "$xprobe" pixel $((frame_x + $1)) $((frame_y + $2)); }
orange() { # the band: strong red, weaker blue
    local c
    c=$(pixel "$1" "$2")
    ((16#${c:0:2} > 16#${c:4:2} + 40))
}
row_text() { # a checksum of the label area of a row of the program column
    "$xprobe" hash $((frame_x + 159)) $((frame_y + 7 + $1 * 40)) 80 40
}
dark_in_row() { # labels are drawn in black, under the band only darkened: dark pixels there
    (($("$xprobe" dark $((frame_x + 159)) $((frame_y + 7 + $1 * 40)) 80 40 140) > 5))
}

key_moves_column() {
    # key_moves_column KEY: a real key press changes the selected row's picture.
    local before
    before=$(row_text 1)
    xdotool key "$1"
    moved() { [ "$(row_text 1)" != "$before" ]; }
    wait_for 10 moved
}

finish() {
    # Ends the test: its status, and on failure what the launchers said.
    if [ -n "${TOVALO_KEEP_PICTURES:-}" ]; then cp "$work"/*.png "$TOVALO_KEEP_PICTURES"/ 2>/dev/null; fi
    if ((failures > 0)); then
        local log
        for log in "${logs[@]}" "$work/openbox.log"; do
            [ -f "$log" ] || continue
            echo "--- $(basename "$log")"
            cat "$log"
        done
        exit 1
    fi
    exit 0
}
