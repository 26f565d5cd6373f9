#!/usr/bin/env bash
# Drives the real launcher in a real X server as a person would: start it, look at the
# screen, press keys, start it again, close its window and call it back with its button.
# Usage: EndToEnd.sh TOVALO_BINARY XPROBE_BINARY
set -u
tovalo=$1
xprobe=$2

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
display_number=$((90 + RANDOM % 400))
export DISPLAY=":$display_number"
export TOVALO_DEVICE="$work/device"
export TOVALO_FRAME_PACING=0
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
pids=()
. "$(dirname "$0")/../../testsupport/shell/checks.sh"

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

viewable() { [ "$("$xprobe" viewable Tovalo 2>/dev/null)" = 1 ]; }
hidden() { [ "$("$xprobe" viewable Tovalo 2>/dev/null)" = 0 ]; }
one_window() { [ "$("$xprobe" count Tovalo 2>/dev/null)" = 1 ]; }

# The device's screen: 240 x 320, the launcher below the 26-pixel title bar.
# -noreset: by default the server resets when its last client leaves, and a client that
# connects meanwhile is refused.
Xvfb "$DISPLAY" -screen 0 240x320x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 "$xprobe" count Tovalo >/dev/null || { echo "FAILED: Xvfb did not start"; exit 1; }

# A start menu of our own, so that the first screen is known.
programs="$TOVALO_DEVICE/Windows/Start Menu/Programs"
mkdir -p "$programs" "$TOVALO_DEVICE/Windows/Favorites"
for name in Calendar Contacts Notes Tasks; do
    printf '22#\\Windows\\%s.exe' "$name" >"$programs/$name.lnk"
done

"$tovalo" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
check "the launcher shows its window" wait_for 20 viewable
sleep 0.5

# Pixel helpers over the screen: the frame's client area starts at (0, 26).
pixel() { "$xprobe" pixel "$1" $(($2 + 26)); }
orange() { # the band: strong red, weaker blue
    local c r b
    c=$(pixel "$1" "$2")
    r=$((16#${c:0:2}))
    b=$((16#${c:4:2}))
    ((r > b + 40))
}
row_text() { # a checksum of the label area of a row of the program column
    "$xprobe" hash 159 $((26 + 7 + $1 * 40)) 80 40
}
dark_in_row() { # labels are drawn in black, under the band only darkened: dark pixels there
    (($("$xprobe" dark 159 $((26 + 7 + $1 * 40)) 80 40 140) > 5))
}

"$xprobe" grab "$work/first.png"
# Under load the first paint may come a little after the window is mapped.
check "the band lies across row 1 of the program column" wait_for 10 orange 236 $((7 + 60))
check "row 1 shows the first program's name" wait_for 10 dark_in_row 1
check "row 2 shows the next one" dark_in_row 2
before=$(row_text 1)

"$xprobe" focus Tovalo
xdotool key Down
moved() { [ "$(row_text 1)" != "$before" ]; }
check "the down key moves the selection" wait_for 10 moved

# A second start brings the first to the front and ends quietly.
timeout 20 "$tovalo" >"$work/second.log" 2>&1
second_status=$?
check "a second start exits with 0" test "$second_status" -eq 0
check "only one launcher window" one_window
check "the first launcher still runs" kill -0 "$first"

# The window's close request only hides the launcher...
"$xprobe" close Tovalo
check "a close request hides the window" wait_for 10 hidden
check "the launcher keeps running" kill -0 "$first"
# ...and its main-screen button (number 3: F3) brings it back.
xdotool key F3
check "the main-screen key shows it again" wait_for 10 viewable

"$xprobe" grab "$work/last.png"
if [ -n "${TOVALO_KEEP_PICTURES:-}" ]; then cp "$work"/*.png "$TOVALO_KEEP_PICTURES"/; fi
if ((failures > 0)); then
    echo "--- launcher output"
    cat "$work/first.log"
    echo "--- second start"
    cat "$work/second.log"
    echo "status $second_status"
    exit 1
fi
exit 0
