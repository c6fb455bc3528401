#!/bin/sh
# Fuzzes the saved-designs store reader for a bounded time (not part of CI).
#   scripts/fuzz-designs.sh [seconds]      (default 300)
# Builds with clang into build-fuzz-designs/ and keeps what it finds under
# build-fuzz-designs/fuzz-designs/.
set -eu
SECONDS_TO_RUN="${1:-300}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz-designs"
WORK="$BUILD/fuzz-designs"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOVEL_BUILD_FUZZERS=ON -DKOVEL_BUILD_TESTS=OFF -DKOVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j3 --target documents_guardar_fuzz

mkdir -p "$WORK/corpus" "$WORK/artifacts"
# Seeds: a header alone, and a header with one design of one cell and of two cells.
python3 - "$WORK/corpus" <<'PY'
import struct, sys, os
out = sys.argv[1]
def s(t): return struct.pack("<H", len(t)) + t
def arr(items):
    if items is None: return struct.pack("<H", 0)
    return struct.pack("<Hii", 1, len(items), 0) + b"".join(s(i) for i in items)
def rec(nom=b"", letter=0, cells=None, font=b"", llista=b""):
    return (s(nom) + struct.pack("<d", 45000.25) + bytes([letter]) + s(b"6.4.0w" if nom else b"")
            + bytes([0x34]) + struct.pack("<i", 803) + b"V" + b"I" + struct.pack("<i", len(cells or []))
            + arr(cells) + s(font) + s(llista) + struct.pack("<I", 0) + arr(None) + struct.pack("<ii", 2, 9))
head = bytearray(rec()); head[4:8] = b"\0\0\0\0"
open(os.path.join(out, "header"), "wb").write(bytes(head))
open(os.path.join(out, "one"), "wb").write(bytes(head) + rec(b"labels", ord("W"), [b"/home/u/0.docx"]))
open(os.path.join(out, "cells"), "wb").write(bytes(head) + rec(b"cells", ord("E"), [b"0.docx", b"1.docx"], b"/d/a.xlsx", b"Sheet1"))
PY
cd "$WORK"
ASAN_OPTIONS=detect_leaks=0 "$BUILD/bin/documents_guardar_fuzz" -max_total_time="$SECONDS_TO_RUN" \
    -max_len=4096 -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 "$WORK/corpus"
