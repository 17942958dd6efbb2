#!/bin/sh
# Draws the skin's images from the SVG templates in art/ as listed in images.list; every PNG
# also as name@2x.png at twice the size.
# Usage: draw-images.sh <images.list> <art folder> <output folder> [rsvg-convert] [convert]
set -eu

list=$1
art=$2
out=$3
rsvg=${4:-rsvg-convert}
magick=${5:-convert}

work=$out/.drawing
rm -rf "$work"
mkdir -p "$out" "$work"

# Fills the template's @NAME@ places from NAME=value words; fails on a place left empty,
# which would otherwise draw silently wrong colours.
fill_template() { # template output words...
    template=$1
    output=$2
    shift 2
    script=$work/subst.sed
    : >"$script"
    for word in "$@"; do
        case $word in
        *=*) printf 's|@%s@|%s|g\n' "${word%%=*}" "${word#*=}" >>"$script" ;;
        *) echo "draw-images: '$word' is not NAME=value" >&2 && exit 1 ;;
        esac
    done
    sed -f "$script" "$art/$template" >"$output"
    if grep -q '@[A-Z0-9]*@' "$output"; then
        echo "draw-images: $template: no value for $(grep -o '@[A-Z0-9]*@' "$output" | sort -u | tr '\n' ' ')" >&2
        exit 1
    fi
}

grep -v '^[[:space:]]*\(#\|$\)' "$list" | while read -r image template params; do
    # shellcheck disable=SC2086 # the parameters are words on purpose
    set -- $params
    case $image in
    *.png)
        fill_template "$template" "$work/image.svg" "$@"
        "$rsvg" --format=png -o "$out/$image" "$work/image.svg"
        # The same picture at twice the pixels, for screens scaled to 200 %.
        "$rsvg" --format=png --zoom=2 -o "$out/${image%.png}@2x.png" "$work/image.svg"
        ;;
    *.gif)
        frames=0
        delay=5
        words=
        for word in "$@"; do
            case $word in
            frames=*) frames=${word#frames=} ;;
            delay=*) delay=${word#delay=} ;;
            *) words="$words $word" ;;
            esac
        done
        [ "$frames" -gt 0 ] || { echo "draw-images: $image needs frames=N" >&2 && exit 1; }
        i=0
        while [ "$i" -lt "$frames" ]; do
            # shellcheck disable=SC2086
            fill_template "$template" "$work/frame.svg" $words ANGLE=$((i * 360 / frames))
            "$rsvg" --format=png -o "$work/frame-$(printf %03d "$i").png" "$work/frame.svg"
            i=$((i + 1))
        done
        "$magick" -delay "$delay" -loop 0 "$work"/frame-*.png -dispose none "$out/$image"
        rm -f "$work"/frame-*.png
        ;;
    *)
        echo "draw-images: $image: only .png and .gif are drawn" >&2
        exit 1
        ;;
    esac
done
rm -rf "$work"
