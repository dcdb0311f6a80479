#!/usr/bin/env bash
# Regenerates the Velmora profile artwork from drawing commands alone:
#   banner.bmp  471x252, 8 bpp, 256-entry colour table, uncompressed (IDB_BANNER)
#   app.ico     32x32 16 colours, 32x32 256 colours, 48x48 256 colours (IDR_MAINFRAME)
# Usage: scripts/make-artwork.sh [output-folder]
#   (default: profile/velmora of the repository holding this script)
# The output is byte-for-byte the same on every run: no random sources, no
# timestamps (BMP and ICO carry none), undithered quantisation.
set -euo pipefail

out=${1:-$(cd "$(dirname "$0")/.." && pwd)/profile/velmora}
font_dir=/usr/share/fonts/truetype/nanum

find_font() {
  local file=$1 path
  path=$(fc-list 2>/dev/null | sed -n "s|^\([^:]*/$file\):.*|\1|p" | head -n 1)
  [ -n "$path" ] || path=$font_dir/$file
  if [ ! -f "$path" ]; then
    echo "make-artwork: font $file not found (package fonts-nanum)" >&2
    exit 1
  fi
  printf '%s\n' "$path"
}

command -v convert >/dev/null || { echo "make-artwork: ImageMagick 'convert' missing" >&2; exit 1; }
command -v python3 >/dev/null || { echo "make-artwork: python3 missing" >&2; exit 1; }
font_regular=$(find_font NanumGothic.ttf)
font_bold=$(find_font NanumGothicBold.ttf)

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Colours shared by both images.
ink='#2e4657'        # title text and emblem letter
ink_soft='#5d7484'   # secondary text
mist_a='#f3f7f6'     # pale sea-mist
mist_b='#dde9ee'     # pale blue
mist_c='#e4e0ef'     # pale lavender
sea='#8fb6c4'        # muted teal for the gentle shapes

make_banner() {
  local w=471 h=252
  # Soft three-corner gradient, then a few translucent circles and two waves
  # along the bottom; the title sits in the calm upper-left area.
  convert -size "${w}x${h}" xc:"$mist_a" \
    -sparse-color barycentric "0,0 $mist_a  $w,0 $mist_b  0,$h $mist_c  $w,$h $mist_b" \
    -fill 'rgba(255,255,255,0.35)' -stroke none \
    -draw "circle 392,58 392,146" \
    -fill 'rgba(255,255,255,0.25)' \
    -draw "circle 330,20 330,62" \
    -fill 'rgba(143,182,196,0.12)' \
    -draw "circle 430,150 430,232" \
    -fill 'rgba(143,182,196,0.22)' \
    -draw "path 'M 0,196 C 110,168 220,226 330,198 C 390,183 440,186 471,194 L 471,252 L 0,252 Z'" \
    -fill 'rgba(120,160,180,0.22)' \
    -draw "path 'M 0,222 C 120,204 240,246 360,224 C 410,215 450,218 471,222 L 471,252 L 0,252 Z'" \
    -fill "$sea" \
    -draw "roundrectangle 40,128 92,131 1,1" \
    -font "$font_bold" -pointsize 46 -fill "$ink" \
    -annotate +36+104 'Velmora' \
    -font "$font_regular" -pointsize 17 -fill "$ink_soft" \
    -annotate +40+160 '벨모라  ·  탄드렐' \
    "$work/banner.png"

  # 8 bits per pixel needs more than 16 colours, which the gradient guarantees;
  # BMP3 pads the colour table to 256 entries for 8-bit images.
  convert "$work/banner.png" +dither -colors 256 -type Palette -depth 8 \
    -compress None "BMP3:$out/banner.bmp"
}

# Draws the emblem at the given size: a "V" on a rounded tile with a soft
# vertical gradient, on a transparent ground.
draw_emblem() {
  local size=$1 file=$2
  local r=$((size / 6)) inset=$((size / 16))
  local last=$((size - 1 - inset))
  local pt=$((size * 3 / 4))
  convert -size "${size}x${size}" xc:none \
    \( -size "${size}x${size}" gradient:'#bcd6df'-'#6f97ab' \) \
    \( -size "${size}x${size}" xc:black -fill white \
       -draw "roundrectangle $inset,$inset $last,$last $r,$r" \) \
    -delete 0 -alpha off -compose CopyOpacity -composite -compose Over \
    -font "$font_bold" -pointsize "$pt" -fill "$ink" -gravity center \
    -annotate +0+$((size / 24)) 'V' \
    "$file"
}

# Palette icon entries carry their transparency only in the 1-bit AND mask, and
# ImageMagick writes any frame with alpha as 32 bpp. So each frame is drawn with
# a hard-edged alpha, flattened onto black (a masked pixel must be black in the
# colour bitmap or Windows tints the desktop with it), quantised without alpha,
# and the masks are filled in afterwards from the saved alpha.
icon_frame() {
  local size=$1 colours=$2 name=$3
  draw_emblem "$size" "$work/$name-rgba.png"
  convert "$work/$name-rgba.png" -channel A -threshold 50% +channel \
    \( +clone -alpha extract -depth 8 -write "gray:$work/$name.mask" +delete \) \
    -background black -flatten +dither -colors "$colours" -type Palette \
    "$work/$name.png"
}

# Sets the AND-mask bit of every pixel whose saved alpha is zero. Entries are
# bottom-up rows of 1-bit pixels, each row padded to 4 bytes.
apply_icon_masks() {
  python3 - "$1" "${@:2}" <<'PY'
import struct, sys
ico_path, masks = sys.argv[1], sys.argv[2:]
data = bytearray(open(ico_path, "rb").read())
count = struct.unpack_from("<H", data, 4)[0]
if count != len(masks):
    sys.exit("make-artwork: %d icon entries, %d masks" % (count, len(masks)))
for k, mask_path in enumerate(masks):
    w, h, _, _, _, bits, _, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
    alpha = open(mask_path, "rb").read()
    if len(alpha) != w * h:
        sys.exit("make-artwork: mask %s does not fit %dx%d" % (mask_path, w, h))
    if bits not in (4, 8):
        sys.exit("make-artwork: icon entry %d has %d bpp, expected a palette" % (k, bits))
    colours = struct.unpack_from("<I", data, off + 32)[0] or 1 << bits
    xor_row = (w * bits + 31) // 32 * 4
    and_row = (w + 31) // 32 * 4
    base = off + 40 + 4 * colours + xor_row * h
    for y in range(h):
        row = base + and_row * (h - 1 - y)
        for x in range(w):
            if alpha[y * w + x] == 0:
                data[row + x // 8] |= 0x80 >> (x % 8)
open(ico_path, "wb").write(data)
PY
}

make_icon() {
  icon_frame 32 16 i32_16
  icon_frame 32 256 i32_256
  icon_frame 48 256 i48_256
  # The ICO writer picks each entry's bit count from that frame's palette size.
  convert "$work/i32_16.png" "$work/i32_256.png" "$work/i48_256.png" "ICO:$out/app.ico"
  apply_icon_masks "$out/app.ico" "$work/i32_16.mask" "$work/i32_256.mask" "$work/i48_256.mask"
}

# Fails the run when an ImageMagick release lays the files out differently from
# what the resource compiler and the dialog expect.
check_outputs() {
  python3 - "$out/banner.bmp" "$out/app.ico" <<'PY'
import struct, sys
bmp = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", bmp, 10)
w, h, _, bpp, compression = struct.unpack_from("<iiHHI", bmp, 18)
used, = struct.unpack_from("<I", bmp, 46)
if (w, h, bpp, compression, offset) != (471, 252, 8, 0, 1078) or used not in (0, 256):
    sys.exit("make-artwork: banner.bmp is %dx%d, %d bpp, compression %d, offset %d, %d colours"
             % (w, h, bpp, compression, offset, used))
ico = open(sys.argv[2], "rb").read()
count, = struct.unpack_from("<H", ico, 4)
entries = [struct.unpack_from("<BBBBHH", ico, 6 + 16 * k) for k in range(count)]
found = [(e[0], e[1], e[5]) for e in entries]
if found != [(32, 32, 4), (32, 32, 8), (48, 48, 8)]:
    sys.exit("make-artwork: app.ico entries (w, h, bpp) are %s" % found)
PY
}

make_banner
make_icon
check_outputs
echo "make-artwork: wrote $out/banner.bmp and $out/app.ico"
