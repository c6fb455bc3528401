#!/bin/sh
# Fuzzes the update run's HTTP reply reader for a bounded time (not part of CI).
#   scripts/fuzz-updater.sh [seconds]      (default 300)
# Builds with clang into build-fuzz-updater/, seeds the corpus with a few well-formed and
# broken replies and keeps what it finds under build-fuzz-updater/fuzz-updater/.
set -eu
SECONDS_TO_RUN="${1:-300}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz-updater"
WORK="$BUILD/fuzz-updater"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOVEL_BUILD_FUZZERS=ON -DKOVEL_BUILD_TESTS=OFF -DKOVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j3 --target updater_reply_fuzz

mkdir -p "$WORK/corpus" "$WORK/artifacts"
# Seeds: the first byte chooses GET or HEAD and the piece size, the rest is the reply.
python3 - "$WORK/corpus" <<'PY'
import os, sys
out = sys.argv[1]
seeds = {
    "length": b"\x20HTTP/1.1 200 OK\r\nContent-Length: 5\r\nLast-Modified: Mon, 07 Dec 2026 21:25:49 GMT\r\n\r\nhello",
    "head": b"\x21HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n",
    "chunked": b"\x06HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n5\r\nhello\r\n3;x=y\r\nabc\r\n0\r\nTrailer: 1\r\n\r\n",
    "close": b"\x40HTTP/1.0 200 OK\r\nConnection: close\r\n\r\nto the end",
    "partial": b"\x10HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 10-19/20\r\nContent-Length: 10\r\n\r\n0123456789extra",
    "notfound": b"\x02HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n",
    "badlength": b"\x02HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nabcd",
    "noend": b"\x02HTTP/1.1 200 OK\r\nContent-Length: 4\r\n",
}
for name, data in seeds.items():
    open(os.path.join(out, name), "wb").write(data)
PY

cd "$WORK"
# A small quarantine keeps the memory of long runs well under the fuzzer's limit.
ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=64 "$BUILD/bin/updater_reply_fuzz" -max_total_time="$SECONDS_TO_RUN" \
    -max_len=8192 -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 "$WORK/corpus"
