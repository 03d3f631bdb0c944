# Timing helpers the benchmark scripts source.
#
# timed command...: runs the command under /usr/bin/time -v and prints
# "seconds kilobytes": the wall time to the millisecond from the clock, the
# peak resident memory from time. Its record goes to $time_log.
timed() {
    start=$(date +%s%N)
    /usr/bin/time -v -o "$time_log" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; cat "$time_log" >&2; exit 1; }
    end=$(date +%s%N)
    awk -F': ' -v ns=$((end - start)) '/Maximum resident set size/ { kb = $2 } END { printf "%.4f %d\n", ns / 1e9, kb }' \
        "$time_log"
}

# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
