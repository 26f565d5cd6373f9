#!/usr/bin/env bash
# Checks the Debian package: what it holds and depends on, that it runs no maintainer script
# beyond the library cache, and that installing it with dpkg into a root of its own, starting
# the launcher from there, and removing it leaves no installed file.
# Usage: Package.sh PACKAGE.deb BUILD_DIR
set -u
deb=$(realpath "$1")
build=$(cd "$2" && pwd)
work=$(mktemp -d)
root=$work/root
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../../testsupport/shell/checks.sh"

contains() { grep -q -- "$2" <<<"$1"; }

info=$(dpkg-deb -I "$deb")
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 libqt6gui6 libsqlite3-0 libxcb1 libstdc++6; do
    check "depends on $dependency" contains "$depends" "$dependency"
done
check "no configuration files (removal would keep them)" test -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep conffiles)"
# The only scripts CPack writes run ldconfig: none acts for a user or touches a user's files.
mkdir -p "$work/control"
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
    [ -e "$work/control/$script" ] || continue
    check "$script runs only ldconfig" \
        test -z "$(grep -v -e '^#!/bin/sh$' -e '^set -e$' -e '^if \[ "$1" = "\(configure\|remove\)" \]; then$' -e '^[[:space:]]*ldconfig$' -e '^fi$' -e '^$' "$work/control/$script")"
done
for file in ./usr/bin/tovalo ./usr/bin/tovalo-reg ./usr/bin/tovalo-setup \
    ./usr/lib/tovalo/libplatform.so.0 ./usr/share/tovalo/Skin/ArrowUp.BMP \
    ./usr/share/applications/tovalo.desktop ./usr/share/icons/hicolor/48x48/apps/tovalo.png \
    ./usr/share/icons/hicolor/scalable/apps/tovalo.svg; do
    check "holds $file" contains "$files" "^$file\$"
done
check "everything below /usr" test -z "$(grep -v '^\./usr/' <<<"$files" | grep -v '^\./$')"
check "no development files" test -z "$(grep -e '^\./usr/include' -e '\.so$' <<<"$files")"

# A root of its own, so that the machine's packages are not touched.
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root() {
    dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless \
        --log=/dev/null "$@" >>"$work/dpkg.log" 2>&1
}
installed_files() {
    find "$root" -path "$root/var/lib/dpkg" -prune -o \( -type f -o -type l \) -print
}
# ldconfig runs against the private root, never the machine's own cache.
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/ldconfig"
chmod +x "$work/bin/ldconfig"
PATH=$work/bin:$PATH
check "dpkg installs it" dpkg_root -i "$deb"
check "the installed programs find their libraries" \
    bash "$(dirname "$0")/RunPaths.sh" "$root/usr" >"$work/runpaths.log"
device=$work/device
mkdir -p "$device/Windows/Start Menu/Programs"
(cd "$work" && env QT_QPA_PLATFORM=offscreen TOVALO_DEVICE="$device" \
    TOVALO_SNAPSHOT="$work/first.png" "$root/usr/bin/tovalo") >"$work/run.log" 2>&1
check "the packaged launcher draws its first screen" test -s "$work/first.png"
check "tovalo-setup uninstall removes the user's settings" \
    env TOVALO_DEVICE="$device" "$root/usr/bin/tovalo-setup" uninstall >>"$work/run.log" 2>&1
check "dpkg removes it" dpkg_root -r tovalo
check "no installed file left" test -z "$(installed_files)"
check "the user's own data stays" test -f "$device/registry.db"

if [ "$failures" -ne 0 ]; then
    for log in "$work"/*.log; do echo "--- $log"; cat "$log"; done
    installed_files
fi
echo "package: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
