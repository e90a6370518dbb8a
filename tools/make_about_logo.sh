#!/usr/bin/env bash
# Makes the About window's logo, resources/about-logo.blob, and the test copies in tests/data/.
#
#   bash tools/make_about_logo.sh [build folder]      (default: build/dev)
#
# Draws the logo with namorel_drawartwork (built in the given folder), encodes it with cjpeg from
# libjpeg-turbo-progs as a baseline JPEG with a JFIF 1.01 header, luminance sampled 2 x 2 and both
# chrominance components 1 x 1, and stores it the way the window layout keeps a picture: one byte with
# the length of the class name, the class name "TJPEGImage", the length of the JPEG data as 4 bytes
# little-endian, then the data.
#
# For the tests it also writes the same drawing as a progressive JPEG and as a grey one.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/dev}
command -v cjpeg >/dev/null || { echo "cjpeg is missing: apt-get install libjpeg-turbo-progs" >&2; exit 1; }

cmake --build "$build" --target namorel_drawartwork
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
QT_QPA_PLATFORM=offscreen "$build/bin/namorel_drawartwork" --about-logo "$scratch/logo.ppm"

cjpeg -baseline -sample 2x2,1x1,1x1 -quality 90 -optimize -outfile "$scratch/logo.jpg" "$scratch/logo.ppm"

size=$(stat -c %s "$scratch/logo.jpg")
le32=$(printf '\\%03o\\%03o\\%03o\\%03o' $((size & 255)) $((size >> 8 & 255)) $((size >> 16 & 255)) $((size >> 24 & 255)))
{
    printf '\012TJPEGImage'
    printf "$le32"
    cat "$scratch/logo.jpg"
} >"$root/resources/about-logo.blob"

mkdir -p "$root/tests/data"
cjpeg -progressive -quality 90 -outfile "$root/tests/data/logo-progressive.jpg" "$scratch/logo.ppm"
cjpeg -grayscale -baseline -quality 90 -outfile "$root/tests/data/logo-grey.jpg" "$scratch/logo.ppm"
echo "wrote resources/about-logo.blob ($size bytes of JPEG data) and tests/data/logo-*.jpg"
