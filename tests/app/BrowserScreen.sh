# Sourced by the browser's end-to-end tests once their folders and settings
# are made: starts the program, waits for its main window (X, Y, WIDTH and
# HEIGHT from its geometry) and gives the screen probes. Screenshots of each
# step are kept in $shots_dir when the caller sets it.
"$pixmoth" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
xdotool windowfocus --sync "$window"

shot() {
    import -window root "$work/screen.png"
    if [[ -n ${shots_dir:-} ]]; then
        mkdir -p "$shots_dir"
        cp "$work/screen.png" "$shots_dir/$1.png"
    fi
}
# Pixels of exactly colour $1 in the screen's rectangle WxH+X+Y ($2).
count() {
    convert "$work/screen.png" -crop "$2" +repage -fill black +opaque "$1" -fill white \
        -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}
# The centre "x y" of the pixels of colour $1 inside $2 (screen coordinates).
centre() {
    local left=${2#*+}
    local top=${left#*+}
    left=${left%%+*}
    convert "$work/screen.png" -crop "$2" +repage txt:- |
        awk -v c="$1" -v x0="$left" -v y0="$top" -F'[,: ]+' '
            index($0, c) { split($1 "," $2, p, ","); sx += p[1]; sy += p[2]; n++ }
            END { if (n) printf "%d %d\n", x0 + sx / n, y0 + sy / n }'
}
# Waits until the screen shows at least $3 pixels of colour $1 in $2 (or, with
# "none", none at all).
shows() {
    shot check
    local n
    n=$(count "$1" "$2")
    if [[ $3 == none ]]; then ((n == 0)); else ((n >= $3)); fi
}
# The selected row of the tree: its "top height" along the column at x = $1.
selected_row() {
    convert "$work/screen.png" -crop "1x240+$1+$((Y + 40))" +repage -depth 8 txt:- |
        awk -F'[,:() ]+' -v y0=$((Y + 40)) '
            /^0,/ { split($0, a, "[()]"); split(a[2], rgb, ",")
                    blue = rgb[3] > 150 && rgb[1] < 120
                    if (blue && !run) { start = $2; run = 1 }
                    if (!blue && run) { if ($2 - start > best) { best = $2 - start; top = start }; run = 0 }
                    last = $2 }
            END { if (run && last + 1 - start > best) { best = last + 1 - start; top = start }
                  if (best) printf "%d %d\n", y0 + top, best }'
}
