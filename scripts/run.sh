#!/bin/sh
# Sets up, builds and runs the main job: writes the label sheet of a shipped catalogue
# format in print mode and says where it is.
#   ./scripts/run.sh [label number] [output folder] [V|H]
set -eu
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target KovelAssist
label=${1:-803}
out=${2:-out}
mode=${3:-V}
./build/program/KovelAssist "/P$mode$label" "$out"
suffix=""
[ "$mode" = "H" ] && suffix="H"
file="$out/wp_$(printf '%06d' "$label")$suffix.docx"
echo "Label sheet written: $file"
echo "Open it with:  libreoffice --writer \"$file\"   (or: xdg-open \"$file\")"
