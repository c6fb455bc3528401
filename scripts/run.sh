#!/bin/sh
# Sets up, builds and runs the main job. With a display and no arguments it starts the
# wizard on the spreadsheet host with the sample workbook (samples/addresses.csv of the
# program folder). Otherwise it writes the label sheet of a shipped catalogue format in
# print mode and says where it is.
#   ./scripts/run.sh [label number] [output folder] [V|H]
set -eu
cd "$(dirname "$0")/.."
if [ $# -eq 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  ./scripts/deps.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build -j"$(nproc)" --target KovelAssist
  echo "Starting the wizard on the sample workbook build/program/samples/addresses.csv"
  KOVEL_ACTIVE_WORKBOOK="$PWD/build/program/samples/addresses.csv" exec ./build/program/KovelAssist /E
fi
label=${1:-803}
out=${2:-out}
mode=$(printf '%s' "${3:-V}" | tr 'vh' 'VH')
case $label in
  ''|*[!0-9]*) echo "usage: $0 [label number] [output folder] [V|H]" >&2; exit 2 ;;
esac
label=$(printf '%s' "$label" | sed 's/^0*//')   # no leading zeros: the program reads the number as a number
if [ -z "$label" ]; then
  echo "$0: the label number must be above 0" >&2; exit 2
fi
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target KovelAssist
./build/program/KovelAssist "/P$mode$label" "$out"
suffix=""
[ "$mode" = "H" ] && suffix="H"
file="$out/wp_$(printf '%06d' "$label")$suffix.docx"
echo "Label sheet written: $file"
echo "Open it with:  libreoffice --writer \"$file\"   (or: xdg-open \"$file\")"
echo "The wizard needs a display: in a desktop session run ./scripts/run.sh with no arguments, or"
echo "  KOVEL_ACTIVE_WORKBOOK=build/program/samples/addresses.csv ./build/program/KovelAssist /E"
