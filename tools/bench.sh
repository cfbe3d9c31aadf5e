#!/bin/bash
# Builds and runs the benchmarks in a fresh, isolated Wine prefix and prints their figures.
# Usage: tools/bench.sh   (synthetic card files and a test picture are generated into the build tree)
source "$(dirname "$0")/common.sh"

dialvane_install_packages
dialvane_build

data=$DIALVANE_BUILD/bench-data
mkdir -p "$data"
for count in 10000 100000; do
    [ -f "$data/cards-$count.vcf" ] || python3 "$DIALVANE_ROOT/tools/gen-vcards.py" "$count" "$data/cards-$count.vcf"
done
# The same 10,000 cards as a synced address book keeps them: one file each.
[ -d "$data/folder-10000" ] || python3 "$DIALVANE_ROOT/tools/gen-vcards.py" 10000 "$data/folder-10000"
python3 "$DIALVANE_ROOT/tools/gen-pictures.py" "$data/pictures"
[ -f "$data/picture-640.jpg" ] || convert -size 640x640 plasma:fractal -seed 7 -quality 90 "$data/picture-640.jpg"

dialvane_headless_prefix bench

wine "$DIALVANE_BUILD/bin/contacts_bench.exe" "$(dialvane_winpath "$data/cards-10000.vcf")" \
    "$(dialvane_winpath "$data/cards-100000.vcf")" "$(dialvane_winpath "$data/picture-640.jpg")" 2>/dev/null
wine "$DIALVANE_BUILD/bin/search_bench.exe" "$(dialvane_winpath "$data/cards-10000.vcf")" \
    "$(dialvane_winpath "$data/cards-100000.vcf")" 2>/dev/null
wine "$DIALVANE_BUILD/bin/mainscreen_bench.exe" 2>/dev/null
wine "$DIALVANE_BUILD/bin/startup_bench.exe" "$(dialvane_winpath "$data/cards-10000.vcf")" 2>/dev/null
for count in 10000 100000; do
    wine "$DIALVANE_BUILD/bin/picker_bench.exe" "$(dialvane_winpath "$data/cards-$count.vcf")" 2>/dev/null
done
# The folder twice: the first start reads every file, the second takes them from the card cache.
wine "$DIALVANE_BUILD/bin/program_bench.exe" "$(dialvane_winpath "$data/cards-10000.vcf")" \
    "$(dialvane_winpath "$data/cards-100000.vcf")" "$(dialvane_winpath "$data/folder-10000")" \
    "$(dialvane_winpath "$data/folder-10000")" 2>/dev/null
# A synced address book that changes under the running store: a scratch copy of the folder.
rm -rf "$data/synced-10000"
cp -r "$data/folder-10000" "$data/synced-10000"
wine "$DIALVANE_BUILD/bin/synced_bench.exe" "$(dialvane_winpath "$data/synced-10000")" 2>/dev/null
rm -rf "$data/synced-10000"
wine "$DIALVANE_BUILD/bin/input_bench.exe" 2>/dev/null
wine "$DIALVANE_BUILD/bin/messaging_bench.exe" 2>/dev/null
wine "$DIALVANE_BUILD/bin/model_bench.exe" "$(dialvane_winpath "$data/cards-10000.vcf")" 2>/dev/null
pictures=$data/pictures
bench_picture() { wine "$DIALVANE_BUILD/bin/picture_bench.exe" "$1" "$(dialvane_winpath "$2")" \
    "$(dialvane_winpath "$3")" "$4" 2>/dev/null; }
wine "$DIALVANE_BUILD/bin/picture_bench.exe" limits 2>/dev/null
bench_picture card "$pictures/card-small.vcf" "$pictures/card-fake-10000.vcf" "card: JPEG header claims 10000x10000"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-real-8000.vcf" "card: real 8000x8000 JPEG photo"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-gif-bomb.vcf" "card: GIF frame claims 20000x20000"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-jpeg-2560.vcf" "card: 2560x1920 JPEG photo"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-progressive.vcf" "card: 1400x1200 progressive JPEG"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-png-2000.vcf" "card: 2000x2000 transparent PNG"
bench_picture card "$pictures/card-small.vcf" "$pictures/card-panorama.vcf" "card: 12000x300 JPEG panorama"
bench_picture skin "$pictures/skin-small" "$pictures/skin-4000" "skin: 4000x4000 big_btn_text.bmp"
bench_picture skin "$pictures/skin-small" "$pictures/skin-1400" "skin: 1400x1400 big_btn_text.bmp"
wine "$DIALVANE_BUILD/bin/soak_bench.exe" 2>/dev/null
