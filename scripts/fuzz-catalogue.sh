#!/bin/sh
# Fuzzes the label catalogue loader for a bounded time (not part of CI).
#   scripts/fuzz-catalogue.sh [seconds]      (default 300)
# Builds with clang into build-fuzz-catalogue/, seeds the corpus from the shipped catalogue
# and keeps what it finds under build-fuzz-catalogue/fuzz-catalogue/.
set -eu
SECONDS_TO_RUN="${1:-300}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz-catalogue"
WORK="$BUILD/fuzz-catalogue"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOVEL_BUILD_FUZZERS=ON -DKOVEL_BUILD_TESTS=OFF -DKOVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j3 --target catalogue_fuzz catalogue_build

mkdir -p "$WORK/corpus" "$WORK/artifacts" "$WORK/seedcat"
# Seeds: the shipped catalogue cut to a few formats, in the fuzzer's input layout
# (16-bit lengths of ETIQSCAP.UNI and ETIQSEXT.UNI, the two files, then ETIQS.UNI).
ASAN_OPTIONS=detect_leaks=0 "$BUILD/bin/catalogue_build" "$ROOT/data/catalogue/formats.csv" \
    "$ROOT/data/catalogue/fields.csv" "$WORK/seedcat" >/dev/null
python3 - "$WORK/seedcat" "$WORK/corpus" <<'PY'
import struct, sys, os
src, out = sys.argv[1], sys.argv[2]
cap = open(os.path.join(src, "ETIQSCAP.UNI"), "rb").read()
ext = open(os.path.join(src, "ETIQSEXT.UNI"), "rb").read()
etq = open(os.path.join(src, "ETIQS.UNI"), "rb").read()
reclen = struct.unpack_from("<i", cap, 12)[0]
for n in (1, 2, 5):
    for first in (0, 40, 100):
        e = ext[first * reclen:(first + n) * reclen]
        r = etq[first * 602:(first + n) * 602]
        with open(os.path.join(out, "seed-%d-%d" % (first, n)), "wb") as f:
            f.write(struct.pack("<HH", len(cap), len(e)) + cap + e + r)
# The header alone with no fields, and with no formats.
with open(os.path.join(out, "seed-nofields"), "wb") as f:
    head = cap[:8] + struct.pack("<ii", 0, 0) + cap[16:20]
    f.write(struct.pack("<HH", len(head), 0) + head + etq[:602])
PY

cd "$WORK"
# The search's paper-type switch stores the choice in the registry: keep it in the work folder.
export KOVEL_USER_REGISTRY="$WORK/user.reg" KOVEL_MACHINE_REGISTRY="$WORK/machine.reg"
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=64 "$BUILD/bin/catalogue_fuzz" -max_total_time="$SECONDS_TO_RUN" \
    -max_len=8192 -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 "$WORK/corpus"
