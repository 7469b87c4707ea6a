#!/usr/bin/env bash
# Draws the program's own artwork with ImageMagick into src/app/resources/:
# tool bar and menu images, the background tile (100 x 100, 256 colours) and
# the program icon in the sizes of the hicolor theme; and the about box's
# header into src/chrome/resources/. The results are committed; run this
# again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/../src/app/resources"
mkdir -p toolbar menu icons
# No time stamps in the files, so running this again changes nothing.
im() { convert "${@:1:$#-1}" -define png:exclude-chunks=date,time "${!#}"; }

# --- program icon: a moth over a picture frame, drawn at 256 and scaled down ---
im -size 256x256 xc:none \
   -fill '#f4efe4' -stroke '#6b5a44' -strokewidth 6 -draw "roundrectangle 28,52 228,212 14,14" \
   -stroke none -fill '#9cc7e8' -draw "rectangle 40,64 216,150" \
   -fill '#6f9a5a' -draw "polygon 40,170 92,116 140,160 176,128 216,168 216,200 40,200" \
   -fill '#f5d76e' -draw "circle 186,88 198,88" \
   -stroke '#3b2b1e' -strokewidth 5 -fill none \
   -draw "path 'M 122,86 Q 108,48 84,40'" -draw "path 'M 134,86 Q 148,48 172,40'" \
   -stroke '#3b2b1e' -strokewidth 3 \
   -fill '#c0673a' -draw "translate 128,118 rotate -28 ellipse -52,0 56,34 0,360" \
   -fill '#c0673a' -draw "translate 128,118 rotate 28 ellipse 52,0 56,34 0,360" \
   -fill '#8e4a8c' -draw "translate 128,150 rotate 30 ellipse -36,0 36,22 0,360" \
   -fill '#8e4a8c' -draw "translate 128,150 rotate -30 ellipse 36,0 36,22 0,360" \
   -stroke none -fill '#f7e3b5' -draw "circle 86,104 100,104" -draw "circle 170,104 184,104" \
   -fill '#3b2b1e' -draw "circle 86,104 92,104" -draw "circle 170,104 176,104" \
   -fill '#4a3526' -draw "ellipse 128,128 10,44 0,360" \
   pixmoth.png
for size in 16 24 32 48 64 128 256; do
    im pixmoth.png -filter Lanczos -resize ${size}x${size} "icons/pixmoth-${size}.png"
done

# --- tool bar, 32 x 32 ---
# Shoot: a camera.
im -size 32x32 xc:none \
   -fill '#4d5560' -stroke '#22262b' -strokewidth 1 -draw "roundrectangle 2,9 29,27 3,3" \
   -fill '#4d5560' -draw "rectangle 10,5 20,9" \
   -fill '#cfd8e3' -draw "circle 16,18 23,18" -fill '#2c6fb3' -draw "circle 16,18 20,18" \
   -stroke none -fill '#f7e37a' -draw "rectangle 23,11 27,13" \
   toolbar/shoot.png
# Edit: a brush over a colour stroke.
im -size 32x32 xc:none \
   -stroke '#d8473b' -strokewidth 4 -fill none -draw "path 'M 3,27 Q 10,20 16,26 T 29,24'" \
   -stroke '#5a3b22' -strokewidth 1 -fill '#c79a5b' -draw "polygon 27,2 30,5 15,20 12,17" \
   -fill '#9aa3ad' -draw "polygon 12,17 15,20 13,22 10,19" \
   -fill '#2d2d2d' -draw "polygon 10,19 13,22 7,26 6,23" \
   toolbar/edit.png
# Create Icon: a small pixel picture and an arrow into an icon frame.
im -size 32x32 xc:none \
   -stroke '#334' -strokewidth 1 \
   -fill '#e94f37' -draw "rectangle 2,2 7,7" -fill '#f6c85f' -draw "rectangle 8,2 13,7" \
   -fill '#6fb07f' -draw "rectangle 2,8 7,13" -fill '#4a7fd0' -draw "rectangle 8,8 13,13" \
   -fill '#334' -stroke none -draw "polygon 14,17 20,17 20,14 26,19 20,24 20,21 14,21" \
   -fill '#ffffff' -stroke '#334' -draw "roundrectangle 17,22 30,30 2,2" \
   -fill '#4a7fd0' -stroke none -draw "rectangle 20,25 23,28" -fill '#e94f37' -draw "rectangle 24,25 27,28" \
   toolbar/icon.png

# --- menu and document tool bar, 16 x 16 ---
arrow() { # $1 = file, $2 = "flop" to point the other way
    im -size 16x16 xc:none \
       -stroke '#2c5d9e' -strokewidth 2 -fill none -draw "path 'M 5,5 C 12,4 15,9 12,14'" \
       -stroke none -fill '#2c5d9e' -draw "polygon 1,5 7,1 7,9" \
       ${2:+-flop} "$1"
}
arrow menu/undo.png
arrow menu/redo.png flop
# Image Enhancements: a wand with a spark.
im -size 16x16 xc:none \
   -stroke '#3b2b1e' -strokewidth 2 -draw "line 2,14 10,6" \
   -stroke none -fill '#f0b429' -draw "polygon 12,1 13,4 16,4 13,6 14,9 12,7 9,9 10,6 8,4 11,4" \
   -fill '#8e4a8c' -draw "circle 4,3 5,3" -draw "circle 14,13 15,13" \
   menu/enhance.png
# Resample Image: a small frame and a larger one behind it, an arrow between.
im -size 16x16 xc:none \
   -stroke '#2c5d9e' -strokewidth 1 -fill '#dbe8f6' -draw "rectangle 5,1 14,10" \
   -fill '#9cc7e8' -draw "rectangle 1,8 7,14" \
   -stroke '#22262b' -draw "line 8,7 12,3" -draw "line 12,3 12,6" -draw "line 12,3 9,3" \
   menu/resample.png

# --- dialog buttons, 24 x 24 ---
mkdir -p dialogs
# Preview: a magnifying glass.
im -size 24x24 xc:none \
   -stroke '#22262b' -strokewidth 2 -fill '#cfe3f5' -draw "circle 10,10 10,3" \
   -stroke '#5a3b22' -strokewidth 4 -draw "line 15,15 21,21" \
   dialogs/preview.png
# to Image: an arrow into a picture.
im -size 24x24 xc:none \
   -stroke '#6b5a44' -strokewidth 1 -fill '#9cc7e8' -draw "rectangle 8,8 22,21" \
   -stroke none -fill '#6f9a5a' -draw "polygon 9,20 14,14 17,17 19,15 21,20" \
   -fill '#2c6fb3' -draw "polygon 1,4 8,4 8,1 13,6 8,11 8,8 1,8" \
   dialogs/to-image.png
# Cancel: a red cross.
im -size 24x24 xc:none \
   -stroke '#c0392b' -strokewidth 4 -draw "line 5,5 19,19" -draw "line 19,5 5,19" \
   dialogs/cancel.png
# OK: a green tick.
im -size 24x24 xc:none \
   -stroke '#2e8b3e' -strokewidth 4 -fill none -draw "polyline 3,13 9,19 21,5" \
   dialogs/ok.png

# --- background tile: 100 x 100, seamless, 256 colours ---
# Soft diagonal weave: every term has a period that divides 100.
d="(0.5+0.5*sin(2*pi*(i+j)/50)*sin(2*pi*(i-j)/50))"
s="(0.5+0.5*cos(2*pi*i/25)*cos(2*pi*j/25))"
im -size 100x100 xc:black -colorspace sRGB \
   -channel R -fx "0.50 + 0.10*$d + 0.04*$s" \
   -channel G -fx "0.55 + 0.10*$d" \
   -channel B -fx "0.66 + 0.10*$d + 0.05*$s" \
   +channel -dither None -colors 256 -type Palette BMP3:BackgroundTile.bmp

# --- about box header, 440 x 40: the icon on a navy band, the program's name ---
cd ../../chrome/resources
im -size 40x440 gradient:'#000080'-'#3a6ea5' -rotate -90 \
   \( ../../app/resources/pixmoth.png -filter Lanczos -resize 34x34 \) -geometry +8+3 -composite \
   -font DejaVu-Sans-Bold -pointsize 20 -fill '#f4efe4' -annotate +52+28 'Pixmoth' \
   -font DejaVu-Sans -pointsize 11 -fill '#cfd8e3' -annotate +160+27 'screenshots  ·  pictures  ·  icons' \
   header.png
