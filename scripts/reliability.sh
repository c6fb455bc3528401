#!/bin/sh
# Every reliability check in one command (not part of CI as a whole; its fault tests also
# run in CI as ordinary tests):
#   scripts/reliability.sh [fuzz-seconds] [print-runs]      (defaults 60 and 100)
# 1. the fault tests: full disks (a small tmpfs when mounting is allowed, injected write
#    failures always), dead writers' locks, hostile and slow update servers, damaged
#    settings, symlinks, concurrent print runs;
# 2. a stress run: [print-runs] print-mode runs, eight at a time, each into its own folder:
#    every one must end with 0 and leave its sheet;
# 3. each fuzzer of scripts/fuzz-*.sh for [fuzz-seconds] seconds (0 skips them).
# Ends with a summary and a non-zero status when anything failed.
set -u
FUZZ_SECONDS="${1:-60}"
PRINT_RUNS="${2:-100}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build"
JOBS="${KOVEL_JOBS:-4}"
FAILED=""

step() { printf '\n==== %s\n' "$*"; }
fail() { FAILED="$FAILED
  $*"; }

step "build"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$BUILD" -j"$JOBS" || exit 1

step "fault tests"
(cd "$BUILD" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS" \
    -R '^(platform_files_tests|platform_registry_tests|platform_word_tests|common_services_tests|updater_tests|wizard_fault_tests|wizard_modo_impresion_tests)$') \
    || fail "fault tests"

step "stress: $PRINT_RUNS print runs, eight at a time"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# The first label of the shipped catalogue ("KOVEL <number>" in its records).
CODE="$(strings "$BUILD/program/ETIQS.UNI" | grep -o 'KOVEL [0-9][0-9]*' | head -1 | cut -d' ' -f2)"
if [ -z "$CODE" ]; then
    fail "stress: no label found in $BUILD/program/ETIQS.UNI"
else
    i=0
    while [ "$i" -lt "$PRINT_RUNS" ]; do
        j=0
        while [ "$j" -lt 8 ] && [ "$i" -lt "$PRINT_RUNS" ]; do
            ( cd "$WORK" && XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config" \
                  KOVEL_MACHINE_REGISTRY="$WORK/machine.reg" "$BUILD/program/KovelAssist" "/PV$CODE" "out$i" \
                  >/dev/null 2>"$WORK/err$i"; echo $? >"$WORK/status$i" ) &
            i=$((i + 1)); j=$((j + 1))
        done
        wait
    done
    bad=0
    i=0
    while [ "$i" -lt "$PRINT_RUNS" ]; do
        status="$(cat "$WORK/status$i" 2>/dev/null || echo none)"
        if [ "$status" != 0 ] || ! ls "$WORK/out$i"/wp_*.docx >/dev/null 2>&1; then
            bad=$((bad + 1))
            echo "run $i: exit $status, sheet $(ls "$WORK/out$i" 2>/dev/null | tr '\n' ' ')"; sed 's/^/    /' "$WORK/err$i"
        fi
        i=$((i + 1))
    done
    echo "$((PRINT_RUNS - bad)) of $PRINT_RUNS runs wrote their sheet"
    [ "$bad" -eq 0 ] || fail "stress: $bad print runs without their sheet"
fi

if [ "$FUZZ_SECONDS" -gt 0 ]; then
    if command -v clang++ >/dev/null 2>&1; then
        for f in "$ROOT"/scripts/fuzz-*.sh; do
            step "$(basename "$f") $FUZZ_SECONDS"
            sh "$f" "$FUZZ_SECONDS" || fail "$(basename "$f")"
        done
    else
        fail "fuzzers: clang++ is not installed"
    fi
fi

step "summary"
if [ -n "$FAILED" ]; then
    echo "FAILED:$FAILED"
    exit 1
fi
echo "all reliability checks passed"
