#!/usr/bin/env bash
# Drives the real launcher on the device's screen (no window manager) as a person would:
# start it, look at the screen, press keys, turn the mouse wheel, start it again, close its
# window and call it back with its button.
# Usage: EndToEnd.sh TOVALO_BINARY XPROBE_BINARY
set -u
tovalo=$1
xprobe=$2
source "$(dirname "$0")/../../testsupport/XSession.sh"

# The device's screen: 240 x 320, the launcher below the 26-pixel title bar.
start_x 240x320
known_start_menu
start_launcher first
first=$launcher
check "the launcher shows its window" wait_for 20 viewable
sleep 0.5
find_frame

"$xprobe" grab "$work/first.png"
# Under load the first paint may come a little after the window is mapped.
check "the band lies across row 1 of the program column" wait_for 10 orange 236 $((7 + 60))
check "row 1 shows the first program's name" wait_for 10 dark_in_row 1
check "row 2 shows the next one" dark_in_row 2

# The keyboard works at once, wherever the pointer is.
xdotool mousemove 5 5
check "the down key moves the selection" key_moves_column Down

# One notch of the wheel over the column scrolls it by one program.
xdotool mousemove $((frame_x + 180)) $((frame_y + 150))
before=$(row_text 1)
xdotool click 5
wheel_moved() { [ "$(row_text 1)" != "$before" ]; }
check "the wheel scrolls the column" wait_for 10 wheel_moved
xdotool click 4
back() { [ "$(row_text 1)" = "$before" ]; }
check "the wheel back scrolls it back" wait_for 10 back

# A second start brings the first to the front and ends quietly.
timeout 20 "$tovalo" >"$work/second.log" 2>&1
second_status=$?
logs+=("$work/second.log")
check "a second start exits with 0" test "$second_status" -eq 0
check "only one launcher window" one_window
check "the first launcher still runs" kill -0 "$first"

# The window's close request only hides the launcher...
xdotool mousemove 5 5
"$xprobe" close Tovalo
check "a close request hides the window" wait_for 10 hidden
check "the launcher keeps running" kill -0 "$first"
# ...and its main-screen button (number 3: F3) brings it back, with the keyboard.
xdotool key F3
check "the main-screen key shows it again" wait_for 10 viewable
check "keys work again at once" key_moves_column Down

"$xprobe" grab "$work/last.png"
finish
