#!/usr/bin/env bash
# The library's main job from the command line: builds the native library and
# the lumtar tool, draws one code of each of the nine symbologies into out/ in
# every picture format the tool writes, EAN-13, ISBN and UPC-A with their
# add-ons at a printer's module width, a batch of numbered labels, and a
# contact sheet of everything (docs/contact-sheet.png).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target lumtar >/dev/null
lumtar=build/native/tools/lumtar
out=out
mkdir -p "$out" "$out/labels" "$out/sheet" docs

# name, types, text, add-on
demo=(
  "isbn    isbn    3-86640-001-2 90000"
  "ean13   ean13   4006381333931 12"
  "ean8    ean8    96385074      -"
  "upca    upca    036000291452  51234"
  "ean5    ean5    52495         -"
  "ean2    ean2    12            -"
  "itf     itf     1234567890    -"
  "codabar codabar A40156B       -"
  "code39  code39  CODE-39       -"
)
# The formats this build writes (PNG, TIFF, SVG, PDF, EPS and EMF come with the library's picture formats).
formats=(wmf bmp)
for f in png tif svg pdf eps emf; do
  if $lumtar render 12 --types ean2 -o "$out/probe.$f" >/dev/null 2>&1; then formats+=("$f"); fi
  rm -f "$out/probe.$f"
done

echo "== nine symbologies: vector formats 50 x 20 mm, raster ones 600 x 240 pixels at 300 dpi (${formats[*]})"
for line in "${demo[@]}"; do
  read -r name types text addon <<<"$line"
  for f in "${formats[@]}"; do
    case $f in bmp | png | tif) size=600x240 ;; *) size=5000x2000 ;; esac
    $lumtar render "$text" --types "$types" --size "$size" -o "$out/$name.$f" >/dev/null
  done
done
$lumtar render 1234567890 --types itf --narrow 2 --wide 5 -o "$out/itf-2-5.bmp"

echo "== add-ons beside their symbol, 0.33 mm modules at 600 dpi with quiet zones"
for line in "${demo[@]}"; do
  read -r name types text addon <<<"$line"
  [ "$addon" = - ] && continue
  $lumtar render "$text+$addon" --types "$types" --module 0.33 --dpi 600 --quiet-zones -o "$out/$name-addon.bmp"
done

echo "== a batch: 100 EAN-13 labels from standard input"
for i in $(seq 0 99); do
  printf '4006381%05d\n' "$i"   # 12 digits: the check digit is computed
done | $lumtar batch --types ean13 --size 428x200 -o "$out/labels/label-%03d.bmp"

echo "== contact sheet: upright and turned, quiet zones (a grey frame shows the picture's edge), add-ons (0.25 mm modules at 200 dpi)"
# Every tile on a canvas of one size, so that montage lines them up.
cell=344x344
convert -size $cell xc:white "$out/sheet/blank.png"
tiles=()
for line in "${demo[@]}"; do
  read -r name types text addon <<<"$line"
  for variant in upright quiet turned turned-quiet addon addon-turned; do
    args=(--types "$types" --module 0.25 --dpi 200)
    shown=$text
    case $variant in
      quiet) args+=(--quiet-zones) ;;
      turned) args+=(--turned) ;;
      turned-quiet) args+=(--turned --quiet-zones) ;;
      addon*) [ "$addon" = - ] && { tiles+=(-label "" "$out/sheet/blank.png"); continue; }
              shown="$text+$addon"; args+=(--quiet-zones)
              [ "$variant" = addon-turned ] && args+=(--turned) ;;
    esac
    file="$out/sheet/$name-$variant.bmp"
    $lumtar render "$shown" "${args[@]}" -o "$file" >/dev/null
    convert "$file" -bordercolor "#aaaaaa" -border 1 -background white -gravity center -extent $cell "$file.png"
    tiles+=(-label "$name $variant" "$file.png")
  done
done
montage -font /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf -pointsize 22 \
  "${tiles[@]}" -tile 6x -geometry +4+4 -background white \
  -colors 16 -depth 8 docs/contact-sheet.png

if command -v zbarimg >/dev/null; then
  echo "== read back by zbarimg (EAN add-ons enabled)"
  for f in "$out"/*.bmp; do
    printf '%-24s %s\n' "$f" "$(zbarimg -q --nodbus -Sean2.enable -Sean5.enable "$f" 2>/dev/null | sort | tr '\n' ' ' || true)"
  done
fi

echo
echo "Pictures are in $(pwd)/$out: one file per symbology and format, add-ons as *-addon.bmp, labels in $out/labels/;"
echo "the contact sheet is $(pwd)/docs/contact-sheet.png."
echo "(zbarimg reads EAN-5 and EAN-2 add-ons only when told to: -Sean2.enable -Sean5.enable.)"
