#!/usr/bin/env bash
# Draws the JPEG pictures that form the faces of Tarrow's windows.
#
# Every window of the program is a borderless picture with invisible
# clickable areas laid over it, so each picture draws its own buttons
# exactly where the program places those areas, and leaves the places
# where the program puts real controls as plain, flat background. Where a
# picture's buttons lie, and their face colours, comes from its window's
# layout table (tarrow/layout/*.def), which the program's hot areas are
# made from too; a picture is not written unless it draws every row of its
# table.
#
# Needs ImageMagick's `convert`/`identify` and the DejaVu Sans fonts.
# The script writes its pictures next to itself and can be re-run at any
# time; the same tools give the same bytes.

# The texts use typographic apostrophes and quotes on purpose.
# shellcheck disable=SC1112
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"

FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold

for tool in convert identify; do
    command -v "$tool" >/dev/null || { echo "draw.sh: '$tool' (ImageMagick) is missing" >&2; exit 1; }
done
FONTS=$(convert -list font)
for f in "$FONT" "$BOLD"; do
    grep -qx "  Font: $f" <<<"$FONTS" || { echo "draw.sh: font $f is missing" >&2; exit 1; }
done

# Colours.
BG='#EEF2F6'       # light background; real controls should use this colour
SLATE='#2F3E4E'    # dark panels and title bands
SLATE2='#415669'   # buttons on the dark panels
LINE='#566B7F'     # separator lines on the dark panels
INK='#1F2D3A'      # main text
MUTED='#56636F'    # secondary text
ONDARK='#FFFFFF'   # main text on dark panels
ONDARK2='#C9D6E2'  # secondary text on dark panels
CARD='#FFFFFF'     # button faces
EDGE='#8FA1B3'     # button outlines
ACCENT='#2F6690'   # main action button
GREEN='#2E8B57'
LIME='#5E9E3A'
AMBER='#E0A020'
RED='#C0513B'
TRACK='#D3DCE5'    # empty meter segments

# ---------------------------------------------------------------------------
# Picture building.  A picture is a list of ImageMagick arguments in ARGS,
# started by `canvas` and written out by `save`.
# ---------------------------------------------------------------------------

ARGS=()
CUR=''
LAYOUTS=../tarrow/layout
LAYOUT=''
DRAWN=()
BUTTON=()

# layout_of NAME: the layout table whose hot areas lie over picture NAME,
# or nothing for a picture without hot areas.
layout_of() {
    local table
    for table in "$LAYOUTS"/*.def; do
        if grep -qxF "TARROW_PICTURE(\"$1\")" "$table"; then
            echo "$table"
            return
        fi
    done
}

# hot_areas: the names of the current picture's hot areas, one a line.
hot_areas() {
    [[ -z $LAYOUT ]] || sed -nE 's/^TARROW_HOT_AREA\(([A-Za-z0-9_]+),.*/\1/p' "$LAYOUT"
}

# area NAME [SAME...]: the button that the current picture's layout table
# draws under hot area NAME, as BUTTON=(X Y W H FACE) in pixels; each SAME is
# another hot area that shares the button, which the table must put in the
# same place.
area() {
    local name row first=''
    for name in "$@"; do
        row=$(grep -E "^TARROW_HOT_AREA\($name," "${LAYOUT:-/dev/null}") ||
            fail_fit "its layout table has no hot area $name"
        # The drawn button and its face come before the texts of the row.
        row=${row#TARROW_HOT_AREA(}
        IFS=, read -r _ _ _ _ _ x y w h face _ <<<"${row//[ \"]/}"
        [[ -z $first || $first == "$x $y $w $h $face" ]] ||
            fail_fit "$name does not share $1's button in the layout table"
        first="$x $y $w $h $face"
        DRAWN+=("$name")
    done
    read -r -a BUTTON <<<"$first"
}

# canvas NAME WIDTH HEIGHT: start a new picture filled with the background.
canvas() {
    CUR=$1
    CW=$2
    CH=$3
    LAYOUT=$(layout_of "$CUR")
    DRAWN=()
    ARGS=(-respect-parentheses -size "${CW}x${CH}" "xc:$BG" -gravity NorthWest)
}

# rect X Y W H FILL [STROKE] [RADIUS]: (rounded) rectangle covering exactly
# the pixels X..X+W-1, Y..Y+H-1, with a 1 px outline when STROKE is given.
rect() {
    local x=$1 y=$2 w=$3 h=$4 fill=$5 stroke=${6:-none} r=${7:-0}
    local x1=$((x + w - 1)) y1=$((y + h - 1))
    if [[ $stroke == none ]]; then
        if ((r == 0)); then
            ARGS+=(-fill "$fill" -stroke none -draw "rectangle $x,$y $x1,$y1")
        else
            ARGS+=(-fill "$fill" -stroke none -draw "roundrectangle $x,$y $x1,$y1 $r,$r")
        fi
    else
        ARGS+=(-fill "$fill" -stroke "$stroke" -strokewidth 1
            -draw "roundrectangle $x,$y $x1,$y1 $r,$r")
    fi
}

# frame COLOUR: 1 px outline around the whole picture.
frame() {
    ARGS+=(-fill none -stroke "$1" -strokewidth 1
        -draw "rectangle 0,0 $((CW - 1)),$((CH - 1))")
}

# shape FILL STROKE WIDTH PRIMITIVE...: any ImageMagick draw primitive.
shape() {
    local fill=$1 stroke=$2 sw=$3
    shift 3
    ARGS+=(-fill "$fill" -stroke "$stroke" -strokewidth "$sw"
        -draw "stroke-linecap round stroke-linejoin round $*")
}

# fail_fit MESSAGE: stop because a text or a button does not fit.
fail_fit() {
    echo "draw.sh: $CUR: $1" >&2
    exit 1
}

# text X Y W H SIZE FONT COLOUR GRAVITY STRING: one line of text placed in
# the box X,Y,W,H (GRAVITY: West, Center, East, North, ...).
text() {
    local x=$1 y=$2 w=$3 h=$4 size=$5 font=$6 colour=$7 grav=$8 str=$9
    local tw th
    read -r tw th < <(convert -font "$font" -pointsize "$size" label:"$str" -format '%w %h\n' info:)
    ((tw <= w && th <= h)) || fail_fit "\"$str\" is ${tw}x${th}, box is ${w}x${h}"
    ARGS+=(\( -size "${w}x${h}" -background none -fill "$colour" -stroke none
        -font "$font" -pointsize "$size" -gravity "$grav" label:"$str" \)
        -gravity NorthWest -geometry "+$x+$y" -composite)
}

# para X Y W H SIZE FONT COLOUR GRAVITY STRING: text wrapped to width W and
# placed in the box X,Y,W,H.
para() {
    local x=$1 y=$2 w=$3 h=$4 size=$5 font=$6 colour=$7 grav=$8 str=$9
    local th
    th=$(convert -size "${w}x" -font "$font" -pointsize "$size" caption:"$str" -format '%h' info:)
    ((th <= h)) || fail_fit "\"$str\" needs height $th, box is $h"
    ARGS+=(\( -size "${w}x${h}" -background none -fill "$colour" -stroke none
        -font "$font" -pointsize "$size" -gravity "$grav" caption:"$str" \)
        -gravity NorthWest -geometry "+$x+$y" -composite)
}

# save: write the picture as a baseline 24-bit JPEG and check its size.
save() {
    local name
    for name in $(hot_areas); do
        [[ " ${DRAWN[*]} " == *" $name "* ]] || fail_fit "hot area $name has no button drawn"
    done
    convert "${ARGS[@]}" -strip -colorspace sRGB -type TrueColor \
        -sampling-factor 2x2,1x1,1x1 -interlace none -quality 92 "JPG:$CUR"
    local got
    got=$(identify -format '%wx%h' "$CUR")
    [[ $got == "${CW}x${CH}" ]] || { echo "draw.sh: $CUR is $got, expected ${CW}x${CH}" >&2; exit 1; }
    echo "$CUR  ${got}"
}

# ---------------------------------------------------------------------------
# Icons.  Each takes the centre point and a size in pixels.
# ---------------------------------------------------------------------------

# power_icon CX CY D COLOUR WIDTH: the power symbol (open ring with a bar).
power_icon() {
    local cx=$1 cy=$2 d=$3 col=$4 sw=$5
    local r=$((d / 2 - sw / 2 - 1))
    shape none "$col" "$sw" "ellipse $cx,$cy $r,$r 300,600"
    shape none "$col" "$sw" "line $cx,$((cy - r - sw / 2)) $cx,$((cy - r / 4))"
}

# cross_icon CX CY D COLOUR WIDTH: an X.
cross_icon() {
    local cx=$1 cy=$2 d=$3 col=$4 sw=$5
    local h=$((d / 2))
    shape none "$col" "$sw" "line $((cx - h)),$((cy - h)) $((cx + h)),$((cy + h))"
    shape none "$col" "$sw" "line $((cx - h)),$((cy + h)) $((cx + h)),$((cy - h))"
}

# ring_letter_icon CX CY D COLOUR LETTER: a letter inside a ring.
ring_letter_icon() {
    local cx=$1 cy=$2 d=$3 col=$4 letter=$5
    local r=$((d / 2 - 1))
    shape none "$col" 2 "circle $cx,$cy $((cx + r)),$cy"
    text $((cx - r)) $((cy - r)) $((2 * r)) $((2 * r)) $((d * 2 / 3)) "$BOLD" "$col" Center "$letter"
}

# check_icon CX CY D FILL: a round badge with a white tick.
check_icon() {
    local cx=$1 cy=$2 d=$3 fill=$4
    local r=$((d / 2)) u=$((d / 8))
    shape "$fill" none 0 "circle $cx,$cy $((cx + r)),$cy"
    shape none white $((d / 9 > 2 ? d / 9 : 2)) \
        "polyline $((cx - 2 * u)),$cy $((cx - u / 2)),$((cy + 3 * u / 2)) $((cx + 2 * u + u / 2)),$((cy - 3 * u / 2))"
}

# warning_icon CX CY D: an amber warning triangle with an exclamation mark.
warning_icon() {
    local cx=$1 cy=$2 d=$3
    local h=$((d * 87 / 100)) half=$((d / 2))
    local top=$((cy - h / 2)) bot=$((cy + h / 2))
    shape "$AMBER" "$AMBER" 6 "polygon $cx,$top $((cx + half)),$bot $((cx - half)),$bot"
    shape none "$INK" $((d / 11)) "line $cx,$((top + h * 32 / 100)) $cx,$((top + h * 66 / 100))"
    shape "$INK" none 0 "circle $cx,$((top + h * 82 / 100)) $((cx + d / 16)),$((top + h * 82 / 100))"
}

# star_icon CX CY D FILL: a five-pointed star.
star_icon() {
    local cx=$1 cy=$2 d=$3 fill=$4
    local pts
    pts=$(awk -v cx="$cx" -v cy="$cy" -v R="$((d / 2))" 'BEGIN {
        pi = atan2(0, -1); r = R * 0.42; s = ""
        for (i = 0; i < 10; i++) {
            a = -pi / 2 + i * pi / 5; q = (i % 2) ? r : R
            s = s sprintf("%.1f,%.1f ", cx + q * cos(a), cy + q * sin(a) + R * 0.08)
        }
        print s }')
    shape "$fill" "$fill" 2 "polygon $pts"
}

# gauge_icon CX CY R LEVEL COLOUR: a speedometer whose needle points to
# LEVEL (1 slow .. 4 fastest), drawn for a dark background.
gauge_icon() {
    local cx=$1 cy=$2 r=$3 level=$4 col=$5
    shape none "$SLATE2" 7 "ellipse $cx,$cy $r,$r 180,360"
    shape none "$col" 7 "ellipse $cx,$cy $r,$r 180,$((180 + level * 45))"
    local tip
    tip=$(awk -v cx="$cx" -v cy="$cy" -v r="$((r - 8))" -v l="$level" 'BEGIN {
        pi = atan2(0, -1); a = pi + (l * 45 - 22.5) * pi / 180
        printf "%.1f,%.1f", cx + r * cos(a), cy + r * sin(a) }')
    shape none "$ONDARK" 3 "line $cx,$cy $tip"
    shape "$ONDARK" none 0 "circle $cx,$cy $((cx + 4)),$cy"
}

# meter X Y LEVEL COLOUR: four segments, LEVEL of them filled.
meter() {
    local x=$1 y=$2 level=$3 col=$4 i fill
    for i in 1 2 3 4; do
        if ((i <= level)); then fill=$col; else fill=$TRACK; fi
        rect $((x + (i - 1) * 22)) "$y" 18 10 "$fill" none 3
    done
}

# clock_icon CX CY R: a clock face showing a short time.
clock_icon() {
    local cx=$1 cy=$2 r=$3
    shape "$CARD" "$SLATE" 4 "circle $cx,$cy $((cx + r)),$cy"
    shape "$ACCENT" none 0 "path 'M $cx,$cy L $cx,$((cy - r + 7)) A $((r - 7)),$((r - 7)) 0 0,1 $((cx + (r - 7) * 87 / 100)),$((cy - (r - 7) / 2)) Z'"
    local i
    for i in 0 1 2 3; do
        case $i in
        0) shape none "$SLATE" 3 "line $cx,$((cy - r + 3)) $cx,$((cy - r + 8))" ;;
        1) shape none "$SLATE" 3 "line $((cx + r - 3)),$cy $((cx + r - 8)),$cy" ;;
        2) shape none "$SLATE" 3 "line $cx,$((cy + r - 3)) $cx,$((cy + r - 8))" ;;
        3) shape none "$SLATE" 3 "line $((cx - r + 3)),$cy $((cx - r + 8)),$cy" ;;
        esac
    done
    shape none "$INK" 4 "line $cx,$cy $cx,$((cy - r + 12))"
    shape none "$INK" 4 "line $cx,$cy $((cx + r / 2)),$((cy + r / 4))"
    shape "$INK" none 0 "circle $cx,$cy $((cx + 4)),$cy"
}

# undo_icon CX CY D COLOUR: a curved arrow turning back to the left.
undo_icon() {
    local cx=$1 cy=$2 d=$3 col=$4
    local r=$((d * 3 / 8)) sw=$((d / 8 > 2 ? d / 8 : 2))
    shape none "$col" "$sw" "ellipse $cx,$((cy + d / 8)) $r,$r 200,450"
    local ax=$((cx - r)) ay=$((cy + d / 8 - r / 3)) a=$((d / 4))
    shape "$col" "$col" 1 "polygon $((ax - a / 2 - 1)),$((ay - a / 3)) $((ax + a / 2 + 1)),$((ay - a / 3)) $ax,$((ay + a / 2 + 1))"
}

# bolt_icon CX CY D COLOUR: a lightning bolt.
bolt_icon() {
    local cx=$1 cy=$2 d=$3 col=$4
    local u=$((d / 8))
    shape "$col" "$col" 1 "polygon $((cx + u)),$((cy - 4 * u)) $((cx - 3 * u)),$((cy + u / 2)) $((cx - u / 2)),$((cy + u / 2)) $((cx - u)),$((cy + 4 * u)) $((cx + 3 * u)),$((cy - u / 2)) $((cx + u / 2)),$((cy - u / 2))"
}

# magnifier_icon CX CY R COLOUR: a magnifying glass, lens centred on CX,CY.
magnifier_icon() {
    local cx=$1 cy=$2 r=$3 col=$4
    local e=$((r * 71 / 100))
    shape none "$col" 9 "line $((cx + e + 2)),$((cy + e + 2)) $((cx + e + r * 9 / 10)),$((cy + e + r * 9 / 10))"
    shape '#FFFFFF40' "$col" 5 "circle $cx,$cy $((cx + r)),$cy"
}

# doc_icon X Y W H: a sheet of paper with text lines.
doc_icon() {
    local x=$1 y=$2 w=$3 h=$4 i
    rect "$x" "$y" "$w" "$h" "$CARD" none 4
    for i in 0 1 2 3 4; do
        shape none "$EDGE" 3 "line $((x + 8)),$((y + 12 + i * 10)) $((x + w - 9 - (i % 2) * 8)),$((y + 12 + i * 10))"
    done
}

# action_button X Y W H FACE STYLE ICON LABEL: a main-window button with an
# icon at its left and its label after it.  STYLE is "main" (outlined in its
# face, light text) or "plain".
action_button() {
    local x=$1 y=$2 w=$3 h=$4 fill=$5 style=$6 icon=$7 label=$8
    local edge=$EDGE col=$INK icol=$ACCENT
    if [[ $style == main ]]; then
        edge=$fill col=$ONDARK icol=$ONDARK
    fi
    rect "$x" "$y" "$w" "$h" "$fill" "$edge" 8
    local cx=$((x + 26)) cy=$((y + h / 2))
    case $icon in
    gauge)
        shape none "$icol" 3 "ellipse $cx,$((cy + 5)) 11,11 180,360"
        shape none "$icol" 3 "line $cx,$((cy + 5)) $((cx + 7)),$((cy - 3))"
        ;;
    bolt) bolt_icon "$cx" "$cy" 24 "$icol" ;;
    undo) undo_icon "$cx" "$cy" 24 "$icol" ;;
    esac
    text $((x + 48)) "$y" $((w - 56)) "$h" 15 "$BOLD" "$col" West "$label"
}

# tile X Y W H FACE ICON CAPTION: a small button on a dark panel with an
# icon above a caption.
tile() {
    local x=$1 y=$2 w=$3 h=$4 face=$5 icon=$6 caption=$7
    rect "$x" "$y" "$w" "$h" "$face" '#5F768C' 6
    local cx=$((x + w / 2)) cy=$((y + 12))
    case $icon in
    power) power_icon "$cx" "$cy" 18 "$ONDARK" 2 ;;
    info) ring_letter_icon "$cx" "$cy" 19 "$ONDARK" i ;;
    help) ring_letter_icon "$cx" "$cy" 19 "$ONDARK" '?' ;;
    esac
    text $((x + 1)) $((y + h - 16)) $((w - 2)) 15 11 "$FONT" "$ONDARK2" Center "$caption"
}

# rating NAME WIDTH HEIGHT LEVEL COLOUR WORD DESCRIPTION: one of the
# four rating pictures.
rating() {
    local name=$1 w=$2 h=$3 level=$4 col=$5 word=$6 desc=$7
    canvas "$name" "$w" "$h"
    rect 0 0 92 "$h" "$SLATE"
    if ((level == 4)); then
        star_icon 46 $((h / 2)) 56 "$AMBER"
    else
        gauge_icon 46 $((h / 2 + 12)) 28 "$level" "$col"
    fi
    text 108 10 190 24 18 "$BOLD" "$INK" West "Rating: $word"
    meter $((w - 16 - 84)) 18 "$level" "$col"
    para 108 40 $((w - 108 - 14)) 36 13 "$FONT" "$INK" NorthWest "$desc"
    text $((w - 14 - 150)) $((h - 20)) 150 15 11 "$FONT" "$MUTED" East "Click to close"
    frame "$SLATE"
    save
}

# ---------------------------------------------------------------------------
# The pictures.
# ---------------------------------------------------------------------------

# Main window.
canvas 'manu 2.jpg' 656 504
rect 0 0 296 504 "$SLATE"
power_icon 46 58 36 "$ONDARK" 4
text 74 34 200 48 36 "$BOLD" "$ONDARK" West 'Tarrow'
text 28 88 250 22 16 "$FONT" "$ONDARK2" West 'Faster Windows shutdown'
shape none "$LINE" 1 "line 28,124 267,124"
para 28 142 242 200 14 "$FONT" "$ONDARK" NorthWest \
    'Tarrow shortens the time Windows waits for programs and services when it shuts down.\n\nYour current settings are saved first and can be restored at any time.'
area Label1
tile "${BUTTON[@]}" power 'Exit'
area Label2
tile "${BUTTON[@]}" info 'About'
area Label8
tile "${BUTTON[@]}" help 'Help'
text 328 118 297 26 18 "$BOLD" "$INK" West 'What would you like to do?'
area Label3
action_button "${BUTTON[@]}" plain gauge 'Rate my current settings'
area Label6 Label7
action_button "${BUTTON[@]}" main bolt 'Speed up shutdown'
area Label5
action_button "${BUTTON[@]}" plain undo 'Restore original settings'
read -r x y w h _ <<<"${BUTTON[*]}"
text $((x + 48)) $((y + h + 2)) $((w - 48)) 16 12 "$FONT" "$MUTED" West 'available after a speed-up'
text 328 452 297 16 12 "$FONT" "$MUTED" Center 'Drag anywhere to move the window'
frame "$SLATE"
save

# Intro window.
canvas 'main(with).jpg' 640 480
rect 0 0 640 156 "$SLATE"
power_icon 223 70 50 "$ONDARK" 5
text 259 40 220 60 48 "$BOLD" "$ONDARK" West 'Tarrow'
text 0 104 640 28 20 "$FONT" "$ONDARK2" Center 'Make Windows shut down faster'
check_icon 126 208 28 "$GREEN"
para 156 190 380 40 16 "$FONT" "$INK" West 'Shortens the shutdown time-outs for all user accounts.'
check_icon 126 264 28 "$GREEN"
para 156 246 380 40 16 "$FONT" "$INK" West 'Can also silence the Windows shutdown sound.'
check_icon 126 320 28 "$GREEN"
para 156 302 380 40 16 "$FONT" "$INK" West 'Saves your current settings first, so you can restore them at any time.'
text 0 378 640 20 14 "$FONT" "$MUTED" Center 'Click Start to begin.'
area Label1
read -r x y w h face <<<"${BUTTON[*]}"
rect "$x" "$y" "$w" "$h" "$face" "$face" 8
text $((x + 1)) $((y + 1)) $((w - 2)) $((h - 2)) 15 "$BOLD" "$ONDARK" Center 'Start ▶'
frame "$SLATE"
save

# File check window shown at start.
canvas 'search.jpg' 384 160
rect 0 0 128 160 "$SLATE"
doc_icon 26 32 52 68
magnifier_icon 74 92 20 "$ONDARK"
text 144 22 226 26 18 "$BOLD" "$INK" West 'Checking files...'
text 144 50 226 18 13 "$FONT" "$MUTED" West 'Please wait a moment.'
frame "$SLATE"
save

# Missing files notice.
canvas 'exist.jpg' 299 299
rect 0 0 299 112 "$SLATE"
warning_icon 149 58 72
para 14 128 271 44 15 "$BOLD" "$INK" North 'Some of Tarrow’s files\nare missing.'
text 14 184 271 22 14 "$FONT" "$INK" Center 'Please reinstall Tarrow.'
shape none "$TRACK" 1 'line 20,252 278,252'
text 14 262 271 18 12 "$FONT" "$MUTED" Center 'Click anywhere to close'
frame "$SLATE"
save

# Ratings, best to worst.
rating 'Star.jpg' 399 99 4 "$GREEN" 'Excellent' 'Your shutdown is as fast as it gets.'
rating 'Fast.jpg' 400 98 3 "$LIME" 'Fast' 'Your shutdown settings are fast.'
rating 'Normal.jpg' 399 98 2 "$AMBER" 'Normal' 'Windows’ usual settings. Speed up shutdown to make it faster.'
rating 'Slow.jpg' 400 100 1 "$RED" 'Slow' 'Windows waits a long time at shutdown. Speed it up from the main window.'

# Notice that the speed-up is already in place.
canvas 'Off.jpg' 270 269
# The title band is where a click does nothing.
area Label1
rect "${BUTTON[@]}"
check_icon 36 53 36 "$GREEN"
para 64 22 186 62 17 "$BOLD" "$ONDARK" West 'Shutdown is already sped up.'
para 16 120 238 88 14 "$FONT" "$INK" NorthWest \
    'To undo it, click “Restore original settings” in the main window, or run the uninstaller.'
rect 16 220 238 34 "$CARD" "$EDGE" 8
text 17 221 236 32 14 "$BOLD" "$INK" Center 'Click here to close'
frame "$SLATE"
save

# Help window.
canvas 'Recomend.jpg' 500 400
rect 0 0 500 48 "$SLATE"
ring_letter_icon 30 24 26 "$ONDARK" '?'
text 54 10 300 28 20 "$BOLD" "$ONDARK" West 'Help'
text 20 64 460 20 14 "$BOLD" "$ACCENT" West 'Rate my current settings'
para 20 84 460 36 13 "$FONT" "$INK" NorthWest \
    'Reads the shutdown time-outs from the registry and shows how fast your shutdown is.'
text 20 136 460 20 14 "$BOLD" "$ACCENT" West 'Speed up shutdown'
para 20 156 460 72 13 "$FONT" "$INK" NorthWest \
    'Choose Powerful (no waiting at all) or Fast (a 10 ms wait), and if you like, remove the shutdown sound. Your current settings are saved first. Making a system restore point beforehand is recommended.'
text 20 226 460 20 14 "$BOLD" "$ACCENT" West 'Restore original settings'
para 20 246 460 36 13 "$FONT" "$INK" NorthWest \
    'Puts back the settings that were saved before the speed-up. It works once a speed-up has been made.'
text 20 298 460 20 14 "$BOLD" "$ACCENT" West 'Uninstalling Tarrow'
para 20 318 460 20 13 "$FONT" "$INK" NorthWest \
    'The uninstaller restores all original settings as well.'
shape none "$TRACK" 1 'line 0,361 499,361'
area Label1
read -r x y w h face <<<"${BUTTON[*]}"
rect "$x" "$y" "$w" "$h" "$face" none 6
shape none "$ONDARK" 3 "line $((x + 9)),$((y + 8)) $((x + 20)),$((y + 19))"
shape none "$ONDARK" 3 "line $((x + 9)),$((y + 19)) $((x + 20)),$((y + 8))"
text $((x + w + 7)) $((y + 4)) 200 20 13 "$BOLD" "$INK" West '◀ Close help'
frame "$SLATE"
save

# Information window.
canvas 'Helpregistered.jpg' 300 239
rect 0 0 300 96 "$SLATE"
power_icon 44 48 40 "$ONDARK" 4
text 78 22 170 36 28 "$BOLD" "$ONDARK" West 'Tarrow'
text 78 58 170 18 13 "$FONT" "$ONDARK2" West 'Version 1.0'
area Label2
read -r x y w h face <<<"${BUTTON[*]}"
rect "$x" "$y" "$w" "$h" "$face" none 4
shape none "$ONDARK" 2 "line $((x + 9)),$((y + 5)) $((x + 20)),$((y + 16))"
shape none "$ONDARK" 2 "line $((x + 9)),$((y + 16)) $((x + 20)),$((y + 5))"
text 10 112 280 22 14 "$BOLD" "$INK" Center 'Makes Windows shut down faster.'
text 10 144 280 20 14 "$FONT" "$INK" Center 'Needs administrator rights.'
text 10 172 280 20 14 "$FONT" "$INK" Center 'Free software'
text 10 208 280 16 11 "$FONT" "$MUTED" Center 'Close with the X at the top right.'
frame "$SLATE"
save

# Settings dialog background.
canvas 'Working.jpg' 399 200
rect 0 0 399 48 "$SLATE"
bolt_icon 30 24 28 "$AMBER"
text 50 10 330 28 18 "$BOLD" "$ONDARK" West 'Speed up shutdown'
clock_icon 78 110 38
frame "$SLATE"
save

# Uninstaller window background.
canvas 'rollback.jpg' 400 160
rect 0 0 400 60 "$SLATE"
undo_icon 34 30 32 "$ONDARK"
text 62 9 320 24 18 "$BOLD" "$ONDARK" West 'Tarrow uninstaller'
text 62 34 320 18 13 "$FONT" "$ONDARK2" West 'Restoring your original settings'
frame "$SLATE"
save

# ---------------------------------------------------------------------------
# The program icon: the power symbol on a slate tile, drawn at each size
# Windows asks for so that the small ones stay crisp, then packed into one
# .ico file that the executable carries as a resource.
# ---------------------------------------------------------------------------

icon_sizes=(16 24 32 48 256)
icon_parts=()
icon_dir=$(mktemp -d)
trap 'rm -rf "$icon_dir"' EXIT
for s in "${icon_sizes[@]}"; do
    CUR="$icon_dir/$s.png"
    CW=$s
    CH=$s
    ARGS=(-respect-parentheses -size "${s}x${s}" xc:none -gravity NorthWest)
    rect 0 0 "$s" "$s" "$SLATE" none $((s / 5))
    # The ring is thicker on the small sizes, where a thin one would vanish.
    sw=$(((s + 5) / 9))
    ((sw >= 2)) || sw=2
    d=$((s * 5 / 8))
    ((s > 24)) || d=$((s * 13 / 16))
    power_icon $((s / 2)) $((s / 2 + s / 32)) "$d" "$ONDARK" "$sw"
    convert "${ARGS[@]}" -strip -define png:exclude-chunks=date,time "PNG32:$CUR"
    icon_parts+=("$CUR")
done
convert "${icon_parts[@]}" -strip tarrow.ico
echo "tarrow.ico  ${icon_sizes[*]}"
