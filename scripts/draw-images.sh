#!/usr/bin/env bash
# Draws the program's compiled-in images into app/resources/image/, and
# Trova.exe's icon into app/resources/windows/, with ImageMagick. Each image is drawn at four times its size and scaled down, so
# edges come out smooth. Re-run after changing a drawing; commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")/../app/resources/image"

scale=4
white='#FFFFFF'
green='rgb(50,177,108)'
blue='rgb(23,120,253)'
grey='rgb(150,150,150)'
dark='rgb(90,90,90)'

# draw NAME WIDTH HEIGHT DRAW-ARGS...: the draw arguments use the big canvas.
draw() {
    local name=$1 w=$2 h=$3
    shift 3
    convert -size $((w * scale))x$((h * scale)) xc:none "$@" \
        -filter Lanczos -resize "${w}x${h}!" -strip "PNG32:${name}"
}

# Title bar buttons: thin white glyphs on a transparent square.
draw close.png 40 40 -stroke "$white" -strokewidth 10 -fill none \
    -draw "line 56,56 104,104" -draw "line 104,56 56,104"
draw minSize.png 40 40 -stroke "$white" -strokewidth 10 -fill none \
    -draw "line 54,80 106,80"

# Combo box arrow: a dark chevron, stretched over the drop-down area.
draw downArrow.png 30 60 -stroke "$dark" -strokewidth 12 -fill none \
    -draw "polyline 24,100 60,140 96,100"

# Device indicator: a lit dot with a soft highlight.
pot() {
    draw "$1" 30 30 -fill "$2" -stroke 'rgba(0,0,0,0.35)' -strokewidth 4 \
        -draw "circle 60,60 60,10" \
        -fill 'rgba(255,255,255,0.35)' -stroke none -draw "ellipse 48,42 18,12 0,360"
}
pot grayPot.png "$grey"
pot greenPot.png "$green"

# Settings: a white gear, a ring with eight teeth around an open hub.
gear=(-fill none -stroke "$white" -strokewidth 14 -draw "circle 48,48 48,22" -fill "$white" -stroke none)
for angle in 0 45 90 135; do
    gear+=(-draw "push graphic-context translate 48,48 rotate $angle rectangle -8,-44 8,-28 rectangle -8,28 8,44 pop graphic-context")
done
draw options.png 24 24 "${gear[@]}"

# Radio indicators: a white ring, filled with blue when checked.
draw radioUnchecked.png 31 31 -fill none -stroke "$white" -strokewidth 8 \
    -draw "circle 62,62 62,12"
draw radioChecked.png 31 31 -fill none -stroke "$white" -strokewidth 8 \
    -draw "circle 62,62 62,12" -fill "$blue" -stroke none -draw "circle 62,62 62,32"

# Refresh: an open white circle with an arrow head at its upper end.
draw refresh.png 22 27 -fill none -stroke "$white" -strokewidth 8 \
    -draw "arc 12,24 76,88 -60,250" \
    -fill "$white" -stroke none -draw "polygon 58,8 84,34 50,46"

# Logo: an iris of six blades beside the name, white on the dark title bar.
iris=(-fill none -stroke "$white" -strokewidth 6 -draw "circle 56,56 56,8")
for angle in 0 60 120 180 240 300; do
    iris+=(-draw "push graphic-context translate 56,56 rotate $angle line 0,-48 20,-6 pop graphic-context")
done
draw title.png 125 28 "${iris[@]}" \
    -fill "$white" -stroke none -font DejaVu-Sans-Bold -pointsize 72 \
    -annotate +132+84 'KIVRA'

# Trova.exe's icon, after packaging/linux/org.example.kivra.Trova.svg: a
# six-blade iris, half open, in a rounded housing, at the sizes Windows asks
# for. The 128-unit drawing is made on a 512-pixel canvas.
cd ../windows
blades=(-fill '#c9d3dc' -stroke '#141a21' -strokewidth 6)
for angle in 0 60 120 180 240 300; do
    blades+=(-draw "push graphic-context translate 256,256 rotate $angle path 'M 0,0 L 0,-184 A 184,184 0 0,1 160,-92 L 64,-24 Z' pop graphic-context")
done
convert -size 512x512 xc:none \
    \( -size 448x448 radial-gradient:'#5d6b7a-#27313c' \
       \( -size 448x448 xc:none -fill white -draw "roundrectangle 0,0 447,447 88,88" \) \
       -compose CopyOpacity -composite \) -geometry +32+32 -compose Over -composite \
    -fill '#141a21' -stroke '#9aa7b4' -strokewidth 12 -draw "circle 256,256 256,72" \
    \( -size 512x512 xc:none "${blades[@]}" \
       \( -size 512x512 xc:none -fill white -draw "circle 256,256 256,96" \) \
       -compose DstIn -composite \) -compose Over -composite \
    -fill '#39d98a' -stroke none -draw "circle 256,256 256,200" \
    -fill '#d9ffe9' -draw "circle 236,236 236,220" \
    -define icon:auto-resize=256,128,64,48,32,16 trova.ico
