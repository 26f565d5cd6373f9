#!/usr/bin/env bash
# Installs the build into a fresh prefix as cmake --install does, checks the layout, readies
# and starts the installed launcher off screen as a user would, removes the user's settings
# with tovalo-setup and the files with the uninstall script, and finds nothing left behind.
# Usage: Install.sh BUILD_DIR SOURCE_DIR [XPROBE]
set -u
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
xprobe=${3:-}
work=$(mktemp -d)
prefix=$work/prefix
pids=()
. "$(dirname "$0")/../../testsupport/shell/checks.sh"

# cmake --install records what it put in place in the build folder: keep the user's record.
manifest=$build/install_manifest.txt
[ -f "$manifest" ] && cp -p "$manifest" "$work/user-manifest"

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ -f "$work/user-manifest" ]; then cp -p "$work/user-manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$work"
}
trap cleanup EXIT

png_size() { # the width and height of a PNG file, as WxH
    local bytes
    bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ')
    set -- $bytes
    echo "$(($1 << 24 | $2 << 16 | $3 << 8 | $4))x$(($5 << 24 | $6 << 16 | $7 << 8 | $8))"
}

nothing_installed() { [ -z "$(find "$prefix" \( -type f -o -type l \) -print -quit)" ]; }

# A device folder with a start menu of its own, so that the first screen is known.
device() {
    local dir=$work/$1
    mkdir -p "$dir/Windows/Start Menu/Programs" "$dir/Windows/Favorites"
    for name in Calendar Notes; do
        printf '22#\\Windows\\%s.exe' "$name" >"$dir/Windows/Start Menu/Programs/$name.lnk"
    done
    echo "$dir"
}

# The launcher's first screen, drawn off screen, started from an unrelated folder.
snapshot() { # snapshot PROGRAM DEVICE FILE
    (cd "$work" && env QT_QPA_PLATFORM=offscreen TOVALO_DEVICE="$2" TOVALO_SNAPSHOT="$3" "$1") \
        >"$3.log" 2>&1
}

check "cmake --install into a fresh prefix" \
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1

for file in bin/tovalo bin/tovalo-reg bin/tovalo-setup lib/tovalo/libplatform.so.0 \
    lib/tovalo/libuvarel.so.0 share/tovalo/Skin/ArrowUp.BMP share/tovalo/Skin/ArrowDown.BMP \
    share/tovalo/Skin/NORVI_LOGO.GIF share/applications/tovalo.desktop \
    share/icons/hicolor/scalable/apps/tovalo.svg share/icons/hicolor/48x48/apps/tovalo.png; do
    check "installed $file" test -e "$prefix/$file"
done
check "no development files (headers, link names)" \
    test -z "$(find "$prefix/include" "$prefix"/lib/tovalo/*.so -print -quit 2>/dev/null)"
check "nothing of the artwork beside the programs" test ! -e "$prefix/bin/Skin"
check "the theme's 48 x 48 icon is 48 x 48" \
    test "$(png_size "$prefix/share/icons/hicolor/48x48/apps/tovalo.png")" = 48x48
if command -v desktop-file-validate >/dev/null; then
    check "the desktop entry is valid" \
        desktop-file-validate "$prefix/share/applications/tovalo.desktop"
fi
check "run paths of the installed programs and libraries" \
    bash "$source/packaging/tests/RunPaths.sh" "$prefix" >"$work/runpaths.log"

user=$(device user)
check "tovalo-setup install" env TOVALO_DEVICE="$user" "$prefix/bin/tovalo-setup" install \
    >"$work/setup.log" 2>&1

# The installed launcher draws its first screen as the built one does: with its artwork.
snapshot "$prefix/bin/tovalo" "$user" "$work/installed.png"
snapshot "$build/bin/tovalo" "$(device built)" "$work/built.png"
check "the installed launcher draws its first screen" test -s "$work/installed.png"
check "the installed launcher finds its Skin folder" cmp -s "$work/installed.png" "$work/built.png"
mv "$prefix/share/tovalo/Skin" "$work/Skin"
snapshot "$prefix/bin/tovalo" "$(device bare)" "$work/bare.png"
mv "$work/Skin" "$prefix/share/tovalo/Skin"
check "without its Skin folder the screen differs" \
    test -s "$work/bare.png" -a -n "$(cmp "$work/bare.png" "$work/built.png" 2>&1)"

reg() { env TOVALO_DEVICE="$user" "$prefix/bin/tovalo-reg" "$@"; }
check "the launcher made its settings" reg query 'HKCU\Software\NorviSoft\NorviLuncher' >/dev/null
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\NorviSoft\\Other]\n"Kept"=dword:00000007\n' \
    >"$work/other.reg"
reg import "$work/other.reg"

# On a display, desktops see the launcher's own icon on its window.
if [ -n "$xprobe" ] && command -v Xvfb >/dev/null; then
    display=":$((500 + RANDOM % 400))"
    Xvfb "$display" -screen 0 240x320x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 10 env DISPLAY="$display" "$xprobe" count Tovalo >/dev/null 2>&1
    (cd "$work" && env -u QT_QPA_PLATFORM DISPLAY="$display" TOVALO_DEVICE="$user" \
        "$prefix/bin/tovalo" >"$work/x.log" 2>&1) &
    pids+=($!)
    viewable() { [ "$(DISPLAY=$display "$xprobe" viewable Tovalo 2>/dev/null)" = 1 ]; }
    wait_for 20 viewable
    check "the window carries the launcher's icon" \
        test "$(DISPLAY=$display "$xprobe" icons Tovalo 2>/dev/null)" = "48x48 16x16"
    DISPLAY=$display "$xprobe" close Tovalo >/dev/null 2>&1
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    pids=()
fi

check "tovalo-setup uninstall" env TOVALO_DEVICE="$user" "$prefix/bin/tovalo-setup" uninstall \
    >>"$work/setup.log" 2>&1
absent() { reg query "$1" >/dev/null 2>&1; [ $? -eq 1 ]; }
check "no launcher settings left" absent 'HKCU\Software\NorviSoft\NorviLuncher'
check "other settings kept" reg query 'HKCU\Software\NorviSoft\Other' Kept >/dev/null
check "the device folder's own files kept" test -d "$user/Windows/Start Menu/Programs"

check "the uninstall script" cmake -DMANIFEST="$manifest" -P "$source/packaging/Uninstall.cmake" \
    >"$work/uninstall.log" 2>&1
check "no installed file left" nothing_installed
check "no folder of the launcher's own left" test ! -e "$prefix/lib/tovalo" -a ! -e "$prefix/share/tovalo"

if [ "$failures" -ne 0 ]; then
    for log in "$work"/*.log; do echo "--- $log"; cat "$log"; done
fi
echo "install and removal: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
