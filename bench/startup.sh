#!/usr/bin/env bash
# Start-up of the launcher beside a bare Qt widgets program that opens one 240 x 294 window:
# time from process start to the first complete frame on an X screen, and peak memory, as
# ratios. The launcher runs with 50 programs, 19 groups and 15 quick-launch entries.
# Usage: bench/startup.sh [build dir] [runs]
set -u
build=${1:-build}
runs=${2:-5}
tovalo=$build/bin/tovalo
bare=$build/bin/bare_qt_window
xprobe=$build/tests/xprobe
fill=$build/bin/bench_fill_store
for f in "$tovalo" "$bare" "$xprobe" "$fill"; do
    [ -x "$f" ] || { echo "missing $f: build first (./scripts/build)"; exit 1; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is needed"; exit 1; }

work=$(mktemp -d)
export DISPLAY=":$((500 + RANDOM % 400))"
Xvfb "$DISPLAY" -screen 0 240x320x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
until "$xprobe" count x >/dev/null 2>&1; do sleep 0.1; done

# A full store: 19 groups besides "etc.", 50 programs spread over them, 15 quick-launch entries.
export TOVALO_DEVICE=$work/device
mkdir -p "$TOVALO_DEVICE/Windows/Favorites" "$TOVALO_DEVICE/Windows/Start Menu/Programs"
"$fill" || { echo "could not fill the store"; exit 1; }

now_ms() { date +%s%3N; }

# measure PROGRAM TITLE: prints "milliseconds peak-kB" for one start.
measure() {
    local start pid ms kb
    start=$(now_ms)
    TOVALO_FRAME_PACING=0 "$1" >/dev/null 2>&1 &
    pid=$!
    until [ "$("$xprobe" viewable "$2" 2>/dev/null)" = 1 ]; do sleep 0.005; done
    ms=$(($(now_ms) - start))
    sleep 0.3
    kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null
    echo "$ms $kb"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

for program in bare tovalo; do
    : >"$work/$program.times"
    : >"$work/$program.peaks"
    for _ in $(seq "$runs"); do
        if [ $program = bare ]; then set -- $(measure "$bare" Bare); else set -- $(measure "$tovalo" Tovalo); fi
        echo "$1" >>"$work/$program.times"
        echo "$2" >>"$work/$program.peaks"
    done
done
bt=$(median <"$work/bare.times"); tt=$(median <"$work/tovalo.times")
bm=$(median <"$work/bare.peaks"); tm=$(median <"$work/tovalo.peaks")
printf 'first frame: bare Qt %d ms, launcher %d ms, ratio %.2f\n' "$bt" "$tt" "$(awk -v a="$tt" -v b="$bt" "BEGIN {print a / b}")"
printf 'peak memory: bare Qt %d kB, launcher %d kB, ratio %.2f\n' "$bm" "$tm" "$(awk -v a="$tm" -v b="$bm" "BEGIN {print a / b}")"
