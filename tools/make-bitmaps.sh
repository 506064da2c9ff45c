#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes the program's bitmaps with ImageMagick: the 24 background patterns of the main window
# (tiling, pale enough that black text reads well on them) and the light bulb of the tip dialog.
# The same ImageMagick version gives the same files; the results are committed, so the build does
# not need ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../res"
out=backgrounds
size=96x96
mkdir -p "$out"

# Brings any picture into the pale range and writes it as an uncompressed 24-bit bitmap.
pale() { convert "$@" -colorspace sRGB +level 78%,100% -type TrueColor BMP3:"$target"; }
make() { target="$out/$1"; shift; pale "$@"; }

make Plain.bmp -size $size xc:white
make Butterfly.bmp -size $size xc:'#fff4e0' -fill '#e0a040' -draw "ellipse 36,36 14,20 0,360" \
    -draw "ellipse 60,36 14,20 0,360" -fill '#c07830' -draw "ellipse 38,62 10,13 0,360" \
    -draw "ellipse 58,62 10,13 0,360" -fill '#604020' -draw "rectangle 46,28 50,72"
make Castle.bmp -size $size xc:'#eef2ff' -fill '#9098b0' -draw "rectangle 20,40 76,84" \
    -draw "rectangle 14,28 30,84" -draw "rectangle 66,28 82,84" \
    -draw "rectangle 14,22 18,28" -draw "rectangle 26,22 30,28" -draw "rectangle 66,22 70,28" \
    -draw "rectangle 78,22 82,28" -fill '#eef2ff' -draw "roundrectangle 40,60 56,84 8,8"
make Clouds.bmp -seed 7 -size $size plasma:white-'#9cc8ff' -blur 0x3 -virtual-pixel tile \
    -blur 0x2
make Cross.bmp -size $size xc:'#fbf7ee' -fill '#c8b07a' -draw "rectangle 43,14 53,82" \
    -draw "rectangle 27,32 69,42"
make Eagle.bmp -size $size xc:'#f2f6fa' -fill '#7a6a5a' \
    -draw "polygon 48,40 10,24 22,44 48,52 74,44 86,24" -draw "circle 48,38 48,32" \
    -draw "polygon 42,52 54,52 48,70"
make EtchedBurst.bmp -size $size radial-gradient:white-'#b8c8d8' -fill none -stroke '#a0b0c0' \
    -draw "circle 48,48 48,16" -draw "circle 48,48 48,30" -draw "circle 48,48 48,40"
make LionCub.bmp -size $size xc:'#fff8ea' -fill '#e0b060' -draw "circle 48,50 48,20" \
    -fill '#f0d090' -draw "circle 48,54 48,36" -fill '#604020' -draw "circle 40,48 40,45" \
    -draw "circle 56,48 56,45" -draw "circle 48,58 48,56"
make Marble.bmp -seed 11 -size $size plasma:fractal -colorspace Gray -blur 0x1 -swirl 120 \
    -virtual-pixel tile -blur 0x1
make Maze.bmp -size $size pattern:hs_cross -fill '#b0b8a0' -opaque black
make MyPattern_1.bmp -size $size pattern:checkerboard -fill '#d8e8d8' -opaque '#999999'
make MyPattern_2.bmp -size $size pattern:circles -fill '#e0c8e0' -opaque black
make MyPattern_3.bmp -size $size pattern:hs_fdiagonal -fill '#c8d8f0' -opaque black
make Planks.bmp -seed 3 -size $size xc:'#d8b888' -attenuate 0.4 +noise Uniform \
    -motion-blur 0x12+0 -fill '#8a6a40' -draw "line 0,31 95,31" -draw "line 0,63 95,63" \
    -draw "line 0,95 95,95"
make RainDrops.bmp -size $size xc:'#eef4fa' -fill '#a8c0d8' -draw "circle 20,18 20,14" \
    -draw "circle 60,30 60,25" -draw "circle 34,60 34,56" -draw "circle 78,72 78,68" \
    -draw "circle 12,84 12,81" -draw "circle 86,12 86,9"
make StarBurst.bmp -size $size xc:'#fffbe8' -stroke '#e0c060' -strokewidth 2 \
    -draw "line 48,0 48,95" -draw "line 0,48 95,48" -draw "line 0,0 95,95" \
    -draw "line 95,0 0,95" -fill '#f0d070' -draw "circle 48,48 48,40"
make StarFetti.bmp -size $size xc:white -fill '#f08080' -draw "circle 14,20 14,17" \
    -fill '#80c080' -draw "circle 50,12 50,9" -fill '#8080f0' -draw "circle 80,40 80,37" \
    -fill '#f0c040' -draw "circle 30,70 30,67" -fill '#c080f0' -draw "circle 70,84 70,81" \
    -fill '#40c0c0' -draw "circle 58,56 58,53"
make Stethoscope.bmp -size $size xc:'#f4f8f8' -fill none -stroke '#708890' -strokewidth 3 \
    -draw "arc 24,10 72,70 0,180" -draw "line 48,70 48,80" -fill '#708890' \
    -draw "circle 48,84 48,78"
make StoneFloor.bmp -seed 5 -size $size pattern:hexagons -fill '#b8b0a8' -opaque black \
    -attenuate 0.3 +noise Gaussian
make StoneWall.bmp -seed 9 -size $size pattern:bricks -fill '#a89888' -opaque black \
    -attenuate 0.3 +noise Gaussian
make Stripes.bmp -size $size xc:white -fill '#c8dcf0' -draw "rectangle 0,0 95,11" \
    -draw "rectangle 0,24 95,35" -draw "rectangle 0,48 95,59" -draw "rectangle 0,72 95,83"
make TieDie.bmp -seed 13 -size $size plasma:red-blue -swirl 200 -virtual-pixel tile -blur 0x2
make TreeGrain.bmp -seed 17 -size $size xc:'#d8c098' -attenuate 0.6 +noise Uniform \
    -motion-blur 0x30+90 -wave 4x96
make Vine.bmp -size $size xc:'#f4fbf0' -fill none -stroke '#70a060' -strokewidth 3 \
    -draw "bezier 48,0 20,24 76,48 48,96" -fill '#90c080' -stroke none \
    -draw "ellipse 34,22 7,4 0,360" -draw "ellipse 62,60 7,4 0,360"
make WorldMap.bmp -seed 21 -size $size plasma:fractal -colorspace Gray -threshold 55% \
    -fill '#b8d8a8' -opaque white -fill '#b8d0f0' -opaque black

# The light bulb beside "Did you know..." in the tip dialog.
convert -size 40x48 xc:white -fill '#ffe066' -stroke '#8a6d00' -strokewidth 2 \
    -draw "circle 20,18 20,4" -fill '#bdbdbd' -stroke '#6d6d6d' -draw "rectangle 14,31 26,41" \
    -draw "line 14,35 26,35" -draw "line 14,38 26,38" -fill none -stroke '#8a6d00' \
    -strokewidth 1 -draw "line 17,30 17,22" -draw "line 23,30 23,22" \
    -draw "arc 17,18 23,24 180,360" PNG8:bitmaps/tipbulb.png
