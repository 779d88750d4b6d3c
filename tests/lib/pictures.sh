# Screenshots of the X server and the pixels in them, with ImageMagick (part of
# tests/lib/common.sh). Colours are written #RRGGBB, in capitals.
# shellcheck shell=bash

# ImageMagick's own programs, never a stand-in that an earlier PATH entry might hold.
magick_tool() {
    if [[ -x /usr/bin/$1 ]]; then echo "/usr/bin/$1"; else command -v "$1"; fi
}

# require_magick_tools TOOL...: skips the script unless ImageMagick's TOOLs (import, convert,
# montage) are there.
require_magick_tools() {
    local tool
    for tool in "$@"; do
        [[ -x $(magick_tool "$tool") ]] || require_tools "$tool"
    done
}

# screenshot_window WINDOW FILE: the window's pixels, as the screen shows them, as a PNG file.
screenshot_window() {
    "$(magick_tool import)" -silent -window "$1" "$2"
}

# screenshot_area X Y WIDTH HEIGHT FILE
screenshot_area() {
    "$(magick_tool import)" -silent -window root -crop "${3}x${4}+${1}+${2}" +repage "$5"
}

# screenshot_frame WINDOW FILE: the window with the frame that the window manager draws around it,
# if any.
screenshot_frame() {
    local x y w h
    read -r x y w h < <(frame_of "$1" || geometry_of "$1")
    screenshot_area "$x" "$y" "$w" "$h" "$2"
}

# count_colour FILE COLOUR: the number of pixels of exactly that colour in a picture.
count_colour() {
    local wanted=${2^^}
    "$(magick_tool convert)" "$1" -alpha off -depth 8 -format %c histogram:info:- |
        awk -v wanted="#${wanted#\#}" '$3 == wanted {sub(":", "", $1); count=$1} END {print count+0}'
}

# The most frequent colour of a picture.
main_colour() {
    "$(magick_tool convert)" "$1" -alpha off -depth 8 -format %c histogram:info:- |
        sort -rn | awk 'NR == 1 {print $3}'
}

# width height of a picture.
picture_size() {
    "$(magick_tool convert)" "$1" -format '%w %h\n' info:
}

# The colours of a picture's four corners: upper left, upper right, lower left, lower right.
corner_colours() {
    local width height right bottom
    read -r width height < <(picture_size "$1")
    right=$((width - 1)) bottom=$((height - 1))
    "$(magick_tool convert)" "$1" -alpha off -depth 8 -format \
        "#%[hex:p{0,0}] #%[hex:p{$right,0}] #%[hex:p{0,$bottom}] #%[hex:p{$right,$bottom}]" info:
}
