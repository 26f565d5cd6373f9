#!/usr/bin/env bash
# The store's side of a launcher start, on the offscreen platform:
# - a first start on a desktop of 5,000 applications (a start menu of 5,000 shortcuts) beside
#   a first start on 50, wall time and peak memory, interleaved, min and median;
# - the disk syncs of a start that changes nothing, counted with strace.
# Usage: bench/firststart.sh [build dir] [runs]
set -u
build=${1:-build}
runs=${2:-5}
tovalo=$build/bin/tovalo
[ -x "$tovalo" ] || { echo "missing $tovalo: build first (./scripts/build)"; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (package time)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen TOVALO_FRAME_PACING=0 XDG_DATA_DIRS=$work/none
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

# desktop COUNT: a data folder holding COUNT application entries.
desktop() {
    local dir=$work/desktop-$1/applications
    mkdir -p "$dir"
    for i in $(seq "$1"); do
        printf '[Desktop Entry]\nType=Application\nName=Application %d\nExec=/usr/bin/true %d\nIcon=application-x-executable\n' \
            "$i" "$i" >"$dir/app$i.desktop"
    done
}

# start COUNT DEVICE: one launcher start; prints "seconds peak-kB".
start() {
    XDG_DATA_HOME=$work/desktop-$1 TOVALO_DEVICE=$2 TOVALO_SNAPSHOT=$work/screen.png \
        /usr/bin/time -f '%e %M' -o "$work/time" "$tovalo" >/dev/null 2>"$work/stderr" ||
        { echo "the launcher failed:"; cat "$work/stderr"; exit 1; }
    cat "$work/time"
}

stats() { sort -n | awk '{a[NR]=$1} END {printf "%s/%s", a[1], a[int((NR + 1) / 2)]}'; }

desktop 50
desktop 5000
for n in 50 5000; do : >"$work/times-$n"; : >"$work/peaks-$n"; done
for run in $(seq "$runs"); do
    for n in 50 5000; do
        set -- $(start "$n" "$work/device-$n-$run")
        echo "$1" >>"$work/times-$n"
        echo "$2" >>"$work/peaks-$n"
    done
done
programs=$(find "$work/device-5000-1/Windows/Start Menu/Programs" -type f | wc -l)
t50=$(stats <"$work/times-50"); t5k=$(stats <"$work/times-5000")
m50=$(stats <"$work/peaks-50"); m5k=$(stats <"$work/peaks-5000")
echo "first start, min/median of $runs ($programs shortcuts in the big start menu):"
printf '  time:        50 entries %s s   5,000 entries %s s   ratio %.2f (goal: 5,000 within 1.5 s)\n' \
    "$t50" "$t5k" "$(awk -v a="${t5k#*/}" -v b="${t50#*/}" 'BEGIN {print a / b}')"
printf '  peak memory: 50 entries %s kB   5,000 entries %s kB   difference %+d kB (goal: +4096 kB)\n' \
    "$m50" "$m5k" "$((${m5k#*/} - ${m50#*/}))"

# A start on a store that is already there, with nothing to change.
if command -v strace >/dev/null; then
    device=$work/device-50-1
    start 50 "$device" >/dev/null
    XDG_DATA_HOME=$work/desktop-50 TOVALO_DEVICE=$device TOVALO_SNAPSHOT=$work/screen.png \
        strace -f -y -e trace=fsync,fdatasync,sync_file_range -o "$work/strace" "$tovalo" >/dev/null 2>&1
    # Each sync by the file it was made on: the hive itself, the kept copies, anything else.
    count() { grep -cE "$1" "$work/strace"; }
    hive=$(count 'sync[a-z_]*\([0-9]+<[^>]*/registry\.db(-wal|-shm)?>')
    backup=$(count 'sync[a-z_]*\([0-9]+<[^>]*/(registry\.db\.bak|backups/)')
    all=$(count '^[0-9]+ +[a-z_]*sync[a-z_]*\(')
    others=$(grep -E '^[0-9]+ +[a-z_]*sync[a-z_]*\(' "$work/strace" |
        grep -vE '/(registry\.db(-wal|-shm)?|registry\.db\.bak[^>]*|backups/[^>]*)>' |
        sed -E 's/.*<([^>]*)>.*/\1/' | sed "s|$work/||" | sort | uniq -c | awk '{printf " %s x%d", $2, $1}')
    echo "a start that changes nothing: $all disk syncs: $hive on the hive, $backup on its kept copy, $((all - hive - backup)) others:${others:- none} (goal: 0)"
else
    echo "strace is missing: the syncs of a start are not counted"
fi
