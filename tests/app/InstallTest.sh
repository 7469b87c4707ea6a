#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts the program, its desktop entry,
# its icons and its help page where desktops look for them. The installed
# program, run once on a real X server (Xvfb), keeps Pixmoth.ini and Shots/ in
# the user's data folder and nothing beside itself, although it could write
# there (the prefix is the running user's, as /usr/local is root's), and Help
# opens the installed page; pixmoth-cli shoots into the same folder.
#   InstallTest.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/XvfbSession.sh" 1024x768x24
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
[[ -x $prefix/bin/pixmoth ]] || fail "no bin/pixmoth"
[[ -x $prefix/bin/pixmoth-cli ]] || fail "no bin/pixmoth-cli"
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
page=$prefix/share/pixmoth/Pixmoth.html
[[ -f $page ]] || fail "no help page"
installed=$(cd "$prefix" && find . | sort)

# xdg-open stands in for the desktop: it notes what it was asked to open.
mkdir -p "$work/user" "$work/tools"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\n' "$work" >"$work/tools/xdg-open"
chmod +x "$work/tools/xdg-open"
export HOME=$work/user XDG_DATA_HOME=$work/data PATH="$work/tools:$PATH" QT_QPA_PLATFORM=xcb
unset PIXMOTH_HOME XDG_CURRENT_DESKTOP
data=$XDG_DATA_HOME/Pixmoth

"$prefix/bin/pixmoth" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
[[ -f $data/Pixmoth.ini ]] || fail "no Pixmoth.ini in $data"
[[ -d $data/Shots ]] || fail "no Shots/ in $data"

xdotool windowfocus --sync "$window"
open_menu alt+h
choose Return # Help > Help
wait_for 10 test -s "$work/opened" || fail "Help opened nothing"
[[ $(cat "$work/opened") == "$page" ]] || fail "Help opened '$(cat "$work/opened")', not $page"

xdotool windowfocus --sync "$window"
open_menu alt+f
choose Up Return # File > Exit
wait_for 15 bash -c "! kill -0 $app_pid" || fail "the program did not exit"
wait "$app_pid" || fail "the program exited with status $?"
app_pid=
grep -q '^StartDir=' "$data/Pixmoth.ini" || fail "Pixmoth.ini lacks StartDir"

# pixmoth-cli makes the data folder when the program never ran.
export XDG_DATA_HOME=$work/cli-data
shot=$("$prefix/bin/pixmoth-cli" shot F1 --rect 10,10,50,40) || fail "pixmoth-cli shot failed"
[[ $shot == "$XDG_DATA_HOME/Pixmoth/Shots/SShot1_0.jpg" && -f $shot ]] ||
    fail "pixmoth-cli shot wrote '$shot'"

[[ $(cd "$prefix" && find . | sort) == "$installed" ]] ||
    fail "the installed tree changed: $(diff <(echo "$installed") <(cd "$prefix" && find . | sort))"
echo "install test passed"
