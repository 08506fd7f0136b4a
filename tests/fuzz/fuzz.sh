#!/usr/bin/env bash
# The fuzz targets in the test suite.
#   fuzz.sh build SOURCE BUILD COMPILER: configures and builds the targets (a project of their
#       own, with clang) in BUILD.
#   fuzz.sh run BINARY RUNS MAX_LEN CORPUS... [-OPTION...]: runs one target briefly and
#       repeatably (a fixed seed and number of inputs) from the given corpora; the inputs it
#       adds go to a scratch corpus beside the binary, so committed seeds stay as they are, and
#       a failing input is saved under artifacts/ there.
set -euo pipefail
case "$1" in
build)
    cmake -S "$2" -B "$3" -DCMAKE_CXX_COMPILER="$4" -DCMAKE_BUILD_TYPE= >/dev/null
    cmake --build "$3" -j2
    ;;
run)
    binary="$2" runs="$3" max_len="$4"
    shift 4
    dir="$(dirname "$binary")"
    work="$dir/work/$(basename "$binary")"
    rm -rf "$work"
    mkdir -p "$work" "$dir/artifacts"
    exec "$binary" -seed=1 -runs="$runs" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$work" "$@"
    ;;
*)
    echo "usage: fuzz.sh build|run ..." >&2
    exit 2
    ;;
esac
