#!/usr/bin/env bash
# The launcher on a desktop screen (320 x 400, no tray: the launcher's own strip is used),
# under a real window manager or with none, driven with real key presses.
# Usage: DesktopEndToEnd.sh openbox|bare TOVALO_BINARY XPROBE_BINARY
set -u
mode=$1
tovalo=$2
xprobe=$3
source "$(dirname "$0")/../../testsupport/XSession.sh"

start_x 320x400
[ "$mode" = openbox ] && start_openbox
known_start_menu
# The pointer away from where the launcher will be: without a window manager the keys
# would go to whatever lies under it.
xdotool mousemove 315 395
start_launcher first
first=$launcher
check "the launcher shows its window" wait_for 20 viewable
strip_shows() { [ -n "$("$xprobe" rect "Tovalo notifications" 2>/dev/null)" ]; }
check "its strip shows" wait_for 10 strip_shows
sleep 1
find_frame
check "the first start answers the keyboard at once" key_moves_column Down

apart() {
    # The strip lies above the decorated frame, meeting none of it, inside the screen.
    local sx sy sw sh fx fy fw fh
    read -r sx sy sw sh <<<"$("$xprobe" rect "Tovalo notifications")"
    read -r fx fy fw fh <<<"$("$xprobe" frame Tovalo)"
    ((sy + sh <= fy && sx >= 0 && sy >= 0 && sx + sw <= 320))
}
check "the strip lies above the frame's decoration" wait_for 5 apart

if [ "$mode" = openbox ]; then
    minimise() {
        xdotool windowminimize "$(launcher_window)"
        wait_for 10 hidden
    }
    check "the launcher can be minimised" minimise
    xdotool key F3
    check "the main-screen key brings a minimised launcher back" wait_for 10 viewable
    check "and it answers the keyboard" key_moves_column Down

    check "the launcher can be minimised again" minimise
    timeout 20 "$tovalo" >"$work/second.log" 2>&1
    logs+=("$work/second.log")
    check "a second start brings a minimised launcher back" wait_for 10 viewable
    check "and it answers the keyboard" key_moves_column Down
    check "only one launcher window" one_window
fi

# Hidden by its close request, then called back with its button.
"$xprobe" close Tovalo
check "a close request hides the window" wait_for 10 hidden
xdotool key F3
check "the main-screen key shows it again" wait_for 10 viewable
check "and it answers the keyboard" key_moves_column Down
check "the strip still lies above the frame" wait_for 5 apart

"$xprobe" grab "$work/$mode.png"
finish
