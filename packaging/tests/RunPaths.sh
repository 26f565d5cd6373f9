#!/usr/bin/env bash
# Checks every program and library below the given folders: each run path entry is absolute or
# starts with $ORIGIN and names an existing folder (an empty or relative entry makes the loader
# look in the current folder), and every library each one needs is found from "/".
# Usage: RunPaths.sh FOLDER...
set -u
failures=0
checked=0

fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}

is_elf() { [ "$(head -c 4 "$1" 2>/dev/null | od -An -tx1 | tr -d ' ')" = 7f454c46 ]; }

check_file() {
    local file=$1 line paths entry resolved
    line=$(readelf -d "$file" 2>/dev/null | grep -E '\((RUNPATH|RPATH)\)')
    checked=$((checked + 1))
    if [ -n "$line" ]; then
        paths=${line#*[}
        paths=${paths%]*}
        # A trailing or doubled ":" is an empty entry too, so split keeping empty fields.
        IFS=: read -r -a entries <<<"$paths:"
        for entry in "${entries[@]}"; do
            case $entry in
            '$ORIGIN' | '$ORIGIN/'*)
                resolved=$(dirname "$file")${entry#\$ORIGIN}
                [ -d "$resolved" ] || fail "$file: run path entry $entry names no folder"
                ;;
            /*) [ -d "$entry" ] || fail "$file: run path entry $entry names no folder" ;;
            '') fail "$file: empty run path entry in [$paths]" ;;
            *) fail "$file: relative run path entry $entry in [$paths]" ;;
            esac
        done
    fi
    if (cd / && ldd "$file" 2>/dev/null | grep -q 'not found'); then
        fail "$file: $(cd / && ldd "$file" | grep 'not found' | tr -s ' \t' ' ' | head -3)"
    fi
}

for folder in "$@"; do
    while IFS= read -r -d '' file; do
        is_elf "$file" && check_file "$file"
    done < <(find "$folder" -type f \( -perm -u+x -o -name '*.so*' \) -print0)
done

if [ "$checked" -eq 0 ]; then
    echo "FAILED: no program or library found in $*"
    exit 1
fi
echo "$checked programs and libraries checked, $failures faults"
[ "$failures" -eq 0 ]
