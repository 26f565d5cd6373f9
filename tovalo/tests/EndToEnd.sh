#!/usr/bin/env bash
# Drives the real launcher in a real X server as a person would: start it, look at the
# screen, press keys, start it again, close its window and call it back with its button,
# then arrange it from its settings with the keyboard alone.
# Usage: EndToEnd.sh TOVALO_BINARY XPROBE_BINARY TOVALO_REG_BINARY
set -u
tovalo=$1
xprobe=$2
tovalo_reg=$3

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
failures=0
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

check() {
    # check DESCRIPTION COMMAND...: counts a failure when the command fails.
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

wait_for() {
    # wait_for SECONDS COMMAND...: until the command succeeds.
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

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

# The settings key (button 2: F2) opens the sheet on its first control, the group list.
# A program of the test's own folder goes into a new group and into the quick-launch bar.
apps="$work/apps"
mkdir -p "$apps"
printf '#!/bin/sh\n' >"$apps/hello"
chmod +x "$apps/hello"
IFS=/ read -r -a path_parts <<<"${apps#/}"
choose() { # in the file dialog: from its first control to the list, then down the path
    sleep 1
    xdotool key Tab
    for part in "${path_parts[@]}" hello; do
        xdotool type --delay 30 "$part"
        xdotool key Return
        sleep 0.5
    done
    sleep 0.5
}
bar_before=$("$xprobe" hash 10 $((26 + 163)) 75 125)
wheel_before=$("$xprobe" hash 0 $((26 + 13)) 118 110)
"$xprobe" focus Tovalo
xdotool key F2
sheet_open() { [ "$("$xprobe" viewable "Tovalo Setting" 2>/dev/null)" = 1 ]; }
check "the settings key opens the sheet" wait_for 10 sheet_open
sleep 1
xdotool key Tab Tab Tab Tab # the group list, Add, Mod, Del: the group name
xdotool type --delay 40 Games
xdotool key shift+Tab shift+Tab shift+Tab space # Add
xdotool key Tab Tab Tab Tab Tab space            # the program Add, past the group's controls
choose
xdotool key shift+Tab # the program list: the new row selects its group in the box
xdotool type --delay 40 hello
sleep 0.5
xdotool key Tab Tab Tab Tab Tab # past Add, Mod, Del and the name to the group box
xdotool type G
sleep 0.3
xdotool key shift+Tab shift+Tab shift+Tab space      # Mod
xdotool key Tab Tab Tab Tab Tab Tab Right             # round to the tabs: the second page
sleep 0.8
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab space # its quick-launch Add
choose
"$xprobe" grab "$work/sheet.png"
xdotool key Return # OK
sheet_closed() { ! sheet_open; }
check "OK closes the sheet" wait_for 10 sheet_closed
sleep 1
bar_changed() { [ "$("$xprobe" hash 10 $((26 + 163)) 75 125)" != "$bar_before" ]; }
check "the quick-launch bar shows the new entry" wait_for 10 bar_changed
"$xprobe" focus Tovalo
column_before=$(row_text 1)
xdotool key Right
wheel_changed() { [ "$("$xprobe" hash 0 $((26 + 13)) 118 110)" != "$wheel_before" ]; }
check "the wheel turns to the new group" wait_for 10 wheel_changed
column_changed() { [ "$(row_text 1)" != "$column_before" ] && dark_in_row 1; }
check "the column moves to the group's program" wait_for 10 column_changed
"$tovalo_reg" export >"$work/export.reg"
stored() { grep -q -F "$1" "$work/export.reg"; }
check "the group is stored" stored '"GroupName"="Games"'
check "the program is stored in it" stored '"GroupPosition"=dword:00000001'
check "the program's path is stored" stored "\"IconPath\"=\"${apps//\//\\\\}\\\\hello\""
check "the quick-launch entry is stored" stored "\"QLPath\"=\"${apps//\//\\\\}\\\\hello\""

"$xprobe" grab "$work/last.png"
if [ -n "${TOVALO_KEEP_PICTURES:-}" ]; then cp "$work"/*.png "$TOVALO_KEEP_PICTURES"/; fi
if ((failures > 0)); then
    echo "--- launcher output"
    cat "$work/first.log"
    echo "--- second start"
    cat "$work/second.log"
    echo "status $second_status"
    echo "--- store"
    cat "$work/export.reg" 2>/dev/null
    exit 1
fi
exit 0
