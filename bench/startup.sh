#!/usr/bin/env bash
# Start-up of the launcher beside a bare Qt widgets program that opens one 240 x 294 window:
# time from process start to the first complete frame on an X screen (X Damage events, the
# window's pixels compared with the settled picture, bench/XFrame.cpp), and peak memory, with
# the page cache warm and with the programs' files dropped from it first. Runs alternate
# between the two programs; min and median of each, and their ratios, are printed. The
# launcher runs with 50 programs, 19 groups besides "etc." and 15 quick-launch entries.
# Usage: bench/startup.sh [build dir] [runs]
set -u
build=${1:-build}
runs=${2:-15}
tovalo=$build/bin/tovalo
bare=$build/bin/bare_qt_window
xframe=$build/bin/xframe
fill=$build/bin/bench_fill_store
for f in "$tovalo" "$bare" "$xframe" "$fill"; do
    [ -x "$f" ] || { echo "missing $f: build first (./scripts/build)"; exit 1; }
done
. "$(dirname "$0")/XScreen.sh"

# A full store: 19 groups besides "etc.", 50 programs spread over them, 15 quick-launch entries.
export TOVALO_DEVICE=$work/device
mkdir -p "$TOVALO_DEVICE/Windows/Favorites" "$TOVALO_DEVICE/Windows/Start Menu/Programs"
"$fill" || { echo "could not fill the store"; exit 1; }
export TOVALO_FRAME_PACING=0 XDG_CACHE_HOME=$work/cache

# The files a start reads: the programs, their libraries, the toolkit's plugins and fonts, the
# store. Pages other processes have mapped stay in memory, alike for both programs.
files() {
    for program in "$bare" "$tovalo"; do
        echo "$program"
        ldd "$program" | awk '/=>/ {print $3}'
    done
    ls "$build"/lib/*.so* "$build"/share/tovalo/fonts/* "$TOVALO_DEVICE"/registry.db* 2>/dev/null
    # The fonts the bare window finds through fontconfig, so that its text starts cold too.
    fc-match -f '%{file}\n' sans-serif 2>/dev/null
    fc-match -f '%{file}\n' 2>/dev/null
    find /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms /usr/lib/x86_64-linux-gnu/qt6/plugins/imageformats \
        /usr/lib/x86_64-linux-gnu/qt6/plugins/xcbglintegrations -name '*.so' 2>/dev/null
    ls /usr/lib/x86_64-linux-gnu/libQt6XcbQpa.so* /usr/share/icons/*/index.theme /usr/share/icons/*/icon-theme.cache 2>/dev/null
}
files | sort -u >"$work/files"
drop_cache() {
    while read -r f; do dd if="$f" iflag=nocache count=0 status=none 2>/dev/null; done <"$work/files"
}

# One start: "milliseconds peak-kB" into the program's list.
run() { # NAME TITLE PROGRAM COLD
    [ "$4" = cold ] && drop_cache
    set -- "$1" "$4" $("$xframe" "$2" "$3" 2>/dev/null)
    if [ $# -ge 4 ]; then echo "$3 $4" >>"$work/$1.$2"; else echo "no frame of $1 ($4 start)"; fi
}

for _ in $(seq "$runs"); do
    for temperature in warm cold; do
        run bare Bare "$bare" $temperature
        run tovalo Tovalo "$tovalo" $temperature
    done
done

stat() { # FILE COLUMN -> "min median"
    awk -v c="$2" '{print $c}' "$1" | sort -n | awk '{a[NR]=$1} END {printf "%s %s", a[1], a[int((NR + 1) / 2)]}'
}
echo "$runs interleaved starts each, min / median"
for temperature in warm cold; do
    set -- $(stat "$work/bare.$temperature" 1) $(stat "$work/tovalo.$temperature" 1)
    printf 'first complete frame, %s: bare Qt %s / %s ms, launcher %s / %s ms, ratio %.2f / %.2f (goal <= 1.3)\n' \
        "$temperature" "$1" "$2" "$3" "$4" "$(awk -v a="$3" -v b="$1" 'BEGIN {print a / b}')" \
        "$(awk -v a="$4" -v b="$2" 'BEGIN {print a / b}')"
done
set -- $(stat "$work/bare.warm" 2) $(stat "$work/tovalo.warm" 2)
printf 'peak memory: bare Qt %s / %s kB, launcher %s / %s kB, difference %.1f / %.1f MB (goal <= 4)\n' \
    "$1" "$2" "$3" "$4" "$(awk -v a="$3" -v b="$1" 'BEGIN {print (a - b) / 1024}')" \
    "$(awk -v a="$4" -v b="$2" 'BEGIN {print (a - b) / 1024}')"
