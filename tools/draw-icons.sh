#!/usr/bin/env bash
# Draws the launcher's icons with ImageMagick and writes them into resources/:
#   resources/launcher.ico        icon 107, the large icon (task bar, Alt+Tab)
#   resources/launcher-small.ico  icon 108, the small icon (caption bar)
# The .ico files are committed, so building needs no ImageMagick; run this
# only to change the drawing (tools/install-deps.sh icons installs it).
# Previews land in build/icons/.
#
# The emblem: a faceted ice-blue crystal in front of a golden ring, on a
# night-blue rounded tile. Everything is drawn on a 1024-pixel canvas (as
# ImageMagick vector primitives) and scaled down. Below 32 pixels a ring and
# sparkles turn to mush, so the small sizes show the crystal alone, larger
# and with a bolder outline.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

canvas=1024
centre=512

# The tile: a diagonal night-blue gradient inside a rounded square.
# Arguments: output, inset from the edge, corner radius.
tile() {
    local out=$1 inset=$2 radius=$3 far=$((canvas - 1 - $2))
    convert -size ${canvas}x${canvas} -define gradient:direction=SouthEast \
        gradient:'#3b2f9e'-'#0a1838' "$work/gradient.png"
    convert -size ${canvas}x${canvas} xc:black -fill white \
        -draw "roundrectangle $inset,$inset $far,$far $radius,$radius" "$work/mask.png"
    convert "$work/gradient.png" "$work/mask.png" -alpha off -compose CopyOpacity -composite "$out"
}

# The crystal as drawing primitives: six outer points around an inner point,
# four facets in four shades of ice blue, lit from the upper left.
# Arguments: scale in percent around the centre, outline width.
crystal() {
    local scale=$1 outline=$2 points=()
    # top, right shoulder, right foot, bottom, left foot, left shoulder, inner point
    for xy in 512,150 700,380 650,735 512,880 374,735 324,380 512,440; do
        local x=${xy%,*} y=${xy#*,}
        points+=("$((centre + (x - centre) * scale / 100)),$((centre + (y - centre) * scale / 100))")
    done
    local top=${points[0]} rs=${points[1]} rf=${points[2]} bottom=${points[3]}
    local lf=${points[4]} ls=${points[5]} inner=${points[6]}
    cat <<MVG
stroke none
fill '#d8f8ff' polygon $top $ls $inner
fill '#5cc8f2' polygon $top $rs $inner
fill '#35a6e0' polygon $ls $lf $bottom $inner
fill '#146aa8' polygon $rs $rf $bottom $inner
fill none stroke '#eafcff' stroke-width $outline
polygon $top $rs $rf $bottom $lf $ls
MVG
}

# A four-pointed sparkle. Arguments: centre x, centre y, arm length.
sparkle() {
    local x=$1 y=$2 r=$3 w=$(($3 / 5))
    cat <<MVG
stroke none fill '#fffbe6'
polygon $x,$((y - r)) $((x + w)),$((y - w)) $((x + r)),$y $((x + w)),$((y + w)) $x,$((y + r)) $((x - w)),$((y + w)) $((x - r)),$y $((x - w)),$((y - w))
MVG
}

ring() {
    cat <<MVG
fill none stroke '#f4c14f' stroke-width 44
circle $centre,515 $centre,170
stroke '#ffe49a' stroke-width 10
circle $centre,515 $centre,192
MVG
}

draw() {
    local background=$1 primitives=$2 out=$3
    convert "$background" -draw "$(cat "$primitives")" "$out"
}

tile "$work/large-tile.png" 36 210
{ ring; crystal 100 14; sparkle 790 250 95; sparkle 250 800 50; } >"$work/large.mvg"
draw "$work/large-tile.png" "$work/large.mvg" "$work/large.png"

tile "$work/small-tile.png" 24 170
crystal 118 40 >"$work/small.mvg"
draw "$work/small-tile.png" "$work/small.mvg" "$work/small.png"

# Scales a 1024-pixel drawing to one size, a little sharpened.
layer() {
    local source=$1 size=$2
    convert "$source" -filter Lanczos -resize ${size}x${size} -unsharp 0x0.6+0.6+0 -depth 8 \
        "$work/$(basename "$source" .png)-$size.png"
    echo "$work/$(basename "$source" .png)-$size.png"
}

convert "$(layer "$work/small.png" 16)" "$(layer "$work/small.png" 24)" \
    "$(layer "$work/large.png" 32)" "$(layer "$work/large.png" 48)" \
    "$(layer "$work/large.png" 64)" "$(layer "$work/large.png" 128)" \
    "$(layer "$work/large.png" 256)" resources/launcher.ico
convert "$(layer "$work/small.png" 16)" "$(layer "$work/small.png" 20)" \
    "$(layer "$work/small.png" 24)" "$(layer "$work/small.png" 32)" \
    "$(layer "$work/small.png" 48)" resources/launcher-small.ico

mkdir -p build/icons
for size in 16 32 48 256; do
    cp "$work/large-$size.png" build/icons/launcher-$size.png 2>/dev/null ||
        cp "$work/small-$size.png" build/icons/launcher-$size.png
done
cp "$work/small-16.png" build/icons/launcher-small-16.png
echo "Wrote resources/launcher.ico and resources/launcher-small.ico (previews in build/icons/)"
