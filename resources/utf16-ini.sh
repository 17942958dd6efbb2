#!/bin/sh
# utf16-ini.sh SOURCE OUTPUT: UTF-8 text with LF lines -> UTF-16LE with BOM and CRLF lines.
set -eu
tmp="$2.tmp"
printf '\377\376' > "$tmp"
sed 's/\r$//; s/$/\r/' "$1" | iconv -f UTF-8 -t UTF-16LE >> "$tmp"
mv "$tmp" "$2"
