#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts the program, its desktop entry,
# its icons and its help page where desktops look for them.
#   InstallTest.sh BUILD_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$1" --prefix "$prefix" >/dev/null
[[ -x $prefix/bin/pixmoth ]] || fail "no bin/pixmoth"
entry=$prefix/share/applications/pixmoth.desktop
[[ -f $entry ]] || fail "no desktop entry"
for line in 'Type=Application' 'Exec=pixmoth %F' 'Icon=pixmoth' 'Terminal=false'; do
    grep -qx "$line" "$entry" || fail "desktop entry lacks '$line'"
done
mime=$(sed -n 's/^MimeType=//p' "$entry")
[[ ";$mime" == *";image/jpeg;"* && ";$mime" == *";image/bmp;"* ]] || fail "MimeType=$mime"
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/pixmoth.png
    [[ -f $icon ]] || fail "no ${size}x${size} icon"
    if command -v identify >/dev/null; then
        [[ $(identify -format '%wx%h' "$icon") == "${size}x${size}" ]] || fail "$icon has the wrong size"
    fi
done
find "$prefix/share/doc" -name Pixmoth.html | grep -q . || fail "no help page"
echo "install test passed"
