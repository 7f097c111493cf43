#!/usr/bin/env bash
# Draws the pictures of the image pack: 400x60 header banners for the pages and dialogs and
# a 300x120 logo for the about window. The JPEG files are kept in the repository; run this
# only to redraw them after changing it, and look at the result before committing.
#
# Needs ImageMagick 6 and the DejaVu fonts (Debian: imagemagick fonts-dejavu-core).
# Usage: data/images/make-images.sh [output directory]   (default: this directory)
set -euo pipefail

out="${1:-$(dirname "$0")}"
mkdir -p "$out"
bold="DejaVu-Sans-Bold"
plain="DejaVu-Sans"

# Colours: blue for the active pages, slate grey for the idle forms of the sharing pages.
active=("#163a5f" "#2f7fb3")
idle=("#3d434a" "#7d868f")
tile="#f4f7fa"
ink_active="#1f5f8f"
ink_idle="#5c646c"

# The motifs, drawn in a 40x40 box with the ink colour.
book() {
    echo "stroke $1 stroke-width 2 fill $tile
          path 'M 4,8 Q 12,4 20,9 L 20,34 Q 12,29 4,33 Z'
          path 'M 36,8 Q 28,4 20,9 L 20,34 Q 28,29 36,33 Z'
          stroke-width 1.5 line 8,14 16,13 line 8,19 16,18 line 8,24 16,23
          line 24,13 32,14 line 24,18 32,19 line 24,23 32,24"
}

shared() {
    echo "stroke $1 stroke-width 2 fill $tile
          path 'M 3,12 L 13,12 L 16,15 L 31,15 L 31,32 L 3,32 Z'
          fill $1 stroke none circle 29,9 29,12.5 circle 36,18 36,21 circle 37,5 37,8
          stroke $1 stroke-width 2 line 29,9 36,18 line 29,9 37,5"
}

transfer() {
    echo "stroke $1 stroke-width 2 fill $tile
          path 'M 6,3 L 22,3 L 30,11 L 30,37 L 6,37 Z' path 'M 22,3 L 22,11 L 30,11'
          fill $1 stroke none
          path 'M 15,14 L 21,14 L 21,23 L 26,23 L 18,32 L 10,23 L 15,23 Z'"
}

gear() {
    echo "stroke $1 fill none stroke-width 7 stroke-dasharray 4.4 3.45 circle 20,20 20,7
          stroke-dasharray none stroke-width 3 fill $tile circle 20,20 20,9
          fill $1 stroke none circle 20,20 20,15.5 fill $tile circle 20,20 20,18"
}

magnifier() {
    echo "stroke $1 stroke-width 4 fill $tile circle 16,16 16,5
          stroke-linecap round stroke-width 7 line 25,25 35,35
          stroke $tile stroke-width 2 fill none path 'M 10,14 Q 11,10 15,9'"
}

plug() {
    echo "stroke $1 stroke-width 2 fill $1
          rectangle 13,4 16,13 rectangle 24,4 27,13
          fill $tile path 'M 9,13 L 31,13 L 31,21 Q 31,29 23,29 L 17,29 Q 9,29 9,21 Z'
          fill none stroke-width 3 path 'M 20,29 L 20,33 Q 20,38 14,38 L 4,38'"
}

# banner FILE COLOURS INK MOTIF TITLE SUBTITLE
banner() {
    local file="$1" from="$2" to="$3" ink="$4" motif="$5" title="$6" subtitle="$7"
    convert -size 400x60 -define gradient:direction=east "gradient:${from}-${to}" \
        -fill "$tile" -stroke none -draw "roundrectangle 10,7 56,53 9,9" \
        -draw "push graphic-context translate 13,10 $($motif "$ink") pop graphic-context" \
        -fill white -font "$bold" -pointsize 21 -annotate +70+30 "$title" \
        -fill "#dbe7f1" -font "$plain" -pointsize 11 -annotate +71+48 "$subtitle" \
        -fill "#ffffff22" -draw "circle 372,30 372,-4" -draw "circle 392,52 392,30" \
        -strip -interlace none -quality 90 "$out/$file"
}

banner ZuBook.jpg "${active[@]}" "$ink_active" book "ZuBook" "Your links to files and folders"
banner ZuShared.jpg "${active[@]}" "$ink_active" shared "ZuShared files" \
    "Sharing is on: other copies of Tarnu may connect"
banner ZuShared1.jpg "${idle[@]}" "$ink_idle" shared "ZuShared files" "Sharing is off"
banner ZuFile.jpg "${active[@]}" "$ink_active" transfer "ZuData transfer" \
    "Connected: browse and download shared files"
banner ZuFile1.jpg "${idle[@]}" "$ink_idle" transfer "ZuData transfer" "Not connected"
banner Options.jpg "${active[@]}" "$ink_active" gear "Options" "How Tarnu works for you"
banner Search.jpg "${active[@]}" "$ink_active" magnifier "Search" "Find links in the ZuBook"
banner Plug-Ins.jpg "${active[@]}" "$ink_active" plug "Plug-ins" "Actions and link information"

convert -size 300x120 -define gradient:direction=east "gradient:${active[0]}-${active[1]}" \
    -fill "#ffffff22" -stroke none -draw "circle 262,60 262,8" -draw "circle 292,108 292,70" \
    -fill "$tile" -draw "roundrectangle 16,24 88,96 14,14" \
    -draw "push graphic-context translate 22,30 scale 1.5,1.5 $(book "$ink_active") pop graphic-context" \
    -fill white -font "$bold" -pointsize 40 -annotate +102+66 "Tarnu" \
    -fill "#dbe7f1" -font "$plain" -pointsize 12 -annotate +104+88 "Links to files and folders" \
    -strip -interlace none -quality 90 "$out/Tarnu_Logo.jpg"
