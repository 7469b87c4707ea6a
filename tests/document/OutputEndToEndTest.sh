#!/usr/bin/env bash
# The output commands of the real program on a real X server (Xvfb): Select
# All and Copy read back with xclip, a picture xclip put on the clipboard
# pasted as a new window, that window printed to a PDF file chosen in Print
# dialog, mailed and made the wallpaper through stand-ins for xdg-email and
# feh. Screenshots of the menus go to $PIXMOTH_SCREENSHOTS when it names a
# folder.
#   OutputEndToEndTest.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/../app/XvfbSession.sh" 1280x1024x24 convert compare xclip pdfimages pdftoppm

mkdir -p "$work/home" "$work/user" "$work/pictures" "$work/bin"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME
# The desktop's tools, standing in: each records its arguments, one a line.
for tool in xdg-email feh; do
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/%s.called"\n' "$work" "$tool" >"$work/bin/$tool"
    chmod +x "$work/bin/$tool"
done
export PATH="$work/bin:$PATH"

convert -size 120x80 gradient:red-blue -type TrueColor "BMP3:$work/pictures/first.bmp"
# A picture of one colour found nowhere else on the screen.
convert -size 90x60 xc:'#ff00ff' "PNG24:$work/magenta.png"

"$pixmoth" "$work/pictures/first.bmp" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
focus() {
    xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" 600 600
}
box_shown() { [[ -n $(xdotool search --onlyvisible --name '^Pixmoth$' 2>/dev/null) ]]; }
box_gone() { ! box_shown; }
screenshot() {
    [[ -d ${PIXMOTH_SCREENSHOTS:-} ]] && import -window root "$PIXMOTH_SCREENSHOTS/$1.png"
    return 0
}
# The bounding box of the magenta pixels of a screenshot, as WxH+X+Y.
magenta_box() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -fill black +opaque '#ff00ff' -trim -format '%wx%h%O' info:
}
clipboard_holds_png() { xclip -selection clipboard -t TARGETS -o | grep -qx image/png; }

focus
# Select All and Copy: the clipboard holds the picture, pixel for pixel.
xdotool key --clearmodifiers ctrl+a
open_menu alt+e
screenshot edit-menu-with-selection
xdotool key --clearmodifiers Escape
wait_for 10 menu_gone || fail "the Edit menu stayed open"
xdotool key --clearmodifiers ctrl+c
wait_for 10 clipboard_holds_png || fail "Copy put no picture on the clipboard"
xclip -selection clipboard -t image/png -o >"$work/copied.png"
difference=$(compare -metric AE "$work/copied.png" "$work/pictures/first.bmp" null: 2>&1) || true
[[ $difference == 0 ]] || fail "the copied picture differs from first.bmp in $difference pixels"

# A picture another program put on the clipboard, pasted with Ctrl+V: a new
# window shows it at its own size.
xclip -selection clipboard -t image/png -i "$work/magenta.png"
xdotool key --clearmodifiers ctrl+v
shown_whole() { [[ $(magenta_box) == 90x60* ]]; }
wait_for 10 shown_whole || fail "the pasted picture is not shown whole: $(magenta_box)"
open_menu alt+f
screenshot file-menu-of-pasted-picture
xdotool key --clearmodifiers Escape
wait_for 10 menu_gone || fail "the File menu stayed open"

# File > Print dialog (the second item): print to a PDF file, then Ctrl+P.
focus
open_menu alt+f
choose Down Return
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Print Setup$' | head -n1) ||
    fail "Print dialog did not appear"
screenshot print-dialog
# Printer name, Properties, then the output file.
xdotool key --clearmodifiers Tab Tab ctrl+a
xdotool type --delay 20 "$work/printed.pdf"
xdotool key --clearmodifiers Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Print Setup$'" ||
    fail "Print dialog stayed open"
[[ ! -e $work/printed.pdf ]] || fail "Print dialog printed"
focus
xdotool key --clearmodifiers ctrl+p
wait_for 20 test -s "$work/printed.pdf" || fail "Print wrote no PDF file"
wait_for 10 bash -c "pdfimages -list '$work/printed.pdf' | grep -q ' 90 \+60 '" ||
    fail "the PDF does not hold the 90 x 60 picture: $(pdfimages -list "$work/printed.pdf")"
pdftoppm -r 72 -png -singlefile "$work/printed.pdf" "$work/page"
# The page is white around the picture (which a PDF may hold JPEG-compressed).
placed=$(convert "$work/page.png" -fuzz 10% -trim -format '%wx%h%O' info:)
# 12 dots a pixel at Qt's 1200 dpi over a 96 dpi screen: 0.9 x 0.6 inches.
[[ $placed =~ ^6[4-6]x4[2-4]\+0\+0$ ]] || fail "the picture is printed at $placed"

# File > Send as mail: xdg-email gets a JPEG file of the pasted picture.
focus
open_menu alt+f
choose Down Down Down Return
wait_for 10 test -s "$work/xdg-email.called" || fail "xdg-email was not called"
wait_for 10 box_shown || fail "no answer to the mail"
xdotool key --clearmodifiers Return
wait_for 10 box_gone || fail "the mail's answer stayed"
mapfile -t mail <"$work/xdg-email.called"
[[ ${mail[0]} == --utf8 && ${mail[2]} == "Send mail with Pixmoth" && ${mail[5]} == --attach ]] ||
    fail "xdg-email got: ${mail[*]}"
[[ $(identify -format '%wx%h' "${mail[6]}") == 90x60 ]] || fail "the attachment is not the picture"
rm -rf "$(dirname "${mail[6]}")"

# Edit > Set as wallpaper, the third item from the bottom (with a selection
# and a picture on the clipboard, the two below it are enabled): feh shows a
# copy in the program directory.
focus
xdotool key --clearmodifiers ctrl+a
open_menu alt+e
choose Up Up Up Return
wait_for 10 test -s "$work/feh.called" || fail "feh was not called"
[[ $(cat "$work/feh.called") == $'--bg-max\n'"$work/home/Wallpaper-1.jpg" ]] ||
    fail "feh got: $(cat "$work/feh.called")"
[[ $(identify -format '%wx%h' "$work/home/Wallpaper-1.jpg") == 90x60 ]] ||
    fail "the wallpaper is not the picture"

focus
xdotool key --clearmodifiers ctrl+q
wait_for 15 bash -c "! kill -0 $app_pid" || fail "the program did not exit"
wait "$app_pid" || fail "the program exited with status $?"
app_pid=
echo "output end-to-end test passed"
