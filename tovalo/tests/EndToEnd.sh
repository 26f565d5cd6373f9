#!/usr/bin/env bash
# Drives the real launcher on the device's screen (no window manager) as a person would:
# start it, look at the screen, press keys, turn the mouse wheel, start it again, close its
# window and call it back with its button, then arrange it from its settings with the
# keyboard alone; last, end it with a signal as a session does.
# Usage: EndToEnd.sh TOVALO_BINARY XPROBE_BINARY TOVALO_REG_BINARY
set -u
tovalo=$1
xprobe=$2
tovalo_reg=$3
source "$(dirname "$0")/../../testsupport/XSession.sh"

# The device's screen: 240 x 320, the launcher below the 26-pixel title bar.
start_x 240x320
known_start_menu
export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
sockets() { find "$XDG_RUNTIME_DIR" -type s | wc -l; }
start_launcher first
first=$launcher
check "the launcher shows its window" wait_for 20 viewable
check "it listens on one socket" test "$(sockets)" -eq 1
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
bar_before=$("$xprobe" hash $((frame_x + 10)) $((frame_y + 163)) 75 125)
wheel_before=$("$xprobe" hash $frame_x $((frame_y + 13)) 118 110)
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
bar_changed() { [ "$("$xprobe" hash $((frame_x + 10)) $((frame_y + 163)) 75 125)" != "$bar_before" ]; }
check "the quick-launch bar shows the new entry" wait_for 10 bar_changed
"$xprobe" focus Tovalo
column_before=$(row_text 1)
xdotool key Right
wheel_changed() { [ "$("$xprobe" hash $frame_x $((frame_y + 13)) 118 110)" != "$wheel_before" ]; }
check "the wheel turns to the new group" wait_for 10 wheel_changed
column_changed() { [ "$(row_text 1)" != "$column_before" ] && dark_in_row 1; }
check "the column moves to the group's program" wait_for 10 column_changed
"$tovalo_reg" export >"$work/export.reg"
stored() { grep -q -F "$1" "$work/export.reg"; }
check "the group is stored" stored '"GroupName"="Games"'
check "the program is stored in it" stored '"GroupPosition"=dword:00000001'
check "the program's path is stored" stored "\"IconPath\"=\"${apps//\//\\\\}\\\\hello\""
check "the quick-launch entry is stored" stored "\"QLPath\"=\"${apps//\//\\\\}\\\\hello\""

logs+=("$work/export.reg")
"$xprobe" grab "$work/last.png"

ends_on_term() { # SIGTERM ends the launcher as "Exit" does: status 0 and no socket left
    kill -TERM "$launcher"
    (sleep 10 && kill -KILL "$launcher" 2>/dev/null) &
    pids+=($!)
    wait "$launcher" && [ "$(sockets)" -eq 0 ]
}
"$xprobe" focus Tovalo
xdotool key F2
check "the settings key opens the sheet again" wait_for 10 sheet_open
check "a SIGTERM with the sheet open ends the launcher cleanly" ends_on_term
start_launcher last
check "a new start shows the launcher" wait_for 20 viewable
check "a SIGTERM on the main screen ends it cleanly" ends_on_term
finish
