# Sourced by the benchmarks that run the launcher on an X screen: starts Xvfb at the device's
# size on a display number no other X server holds, so that no one else's windows take part,
# and stops it at exit. Sets DISPLAY, and `work`, a scratch folder removed at exit.
command -v Xvfb >/dev/null || { echo "Xvfb is needed"; exit 1; }
work=$(mktemp -d)
number=$((500 + RANDOM % 400))
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 240x320x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
until [ -S "/tmp/.X11-unix/X$number" ]; do
    kill -0 $xvfb 2>/dev/null || { echo "Xvfb did not start on $DISPLAY"; exit 1; }
    sleep 0.05
done
