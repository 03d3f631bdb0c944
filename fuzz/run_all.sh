#!/bin/sh
# Runs every fuzz target of a build for the given number of seconds, one
# after another, each on a corpus of its own in the build folder that starts
# from the committed seeds. Stops at the first target that finds a crash, a
# leak or a timeout (the input is kept in <build>/artifacts/<target>/).
# Usage: fuzz/run_all.sh <build folder> <seconds per target> [target ...]
set -eu
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=${*:-$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')}

for target in $targets; do
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$corpus" "$artifacts"
    echo "== $target: $seconds s"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$here/corpus/$target" 2>"$build/fuzz-$target.log" ||
        { tail -n 40 "$build/fuzz-$target.log"; echo "fuzz target $target failed" >&2; exit 1; }
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov: ' "$build/fuzz-$target.log" | tail -n 3
done
