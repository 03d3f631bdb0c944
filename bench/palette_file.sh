#!/bin/sh
# Palette file benchmark: rastrify's image of a grid coloured by value
# through a palette file (-Cfile_ramp.txt) against its image of the same grid
# through a named palette (-Cviridis), as a BMP and as a PNG. Whole runs,
# round after round on a warm page cache; reports the median wall time of
# each and the ratios file / named, whose aim is at most 1.5; and the same
# of the processor time (user and system), which a busy machine disturbs
# less than the wall time.
#
# Usage: bench/palette_file.sh [runs]      (default 7)
# Environment: RASTRIFY     the converter (default build/rastrify)
#              BENCH_DIR    where the grids are kept between runs (default /tmp/rastrify-bench)
#              BENCH_SIZE   columns and rows of the grid (default 4000)
#              BENCH_INPUT  grd (Surfer 7, the default: reading costs little,
#                           so the image's own cost shows) or asc
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
size=${BENCH_SIZE:-4000}
work=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}
input=grid$size.${BENCH_INPUT:-grd}

"$root/tools/install_gdal.sh"
sh "$root/bench/bench_grids.sh" "$work" "$size"
cd "$work"
# The ramp of bench/end_to_end.sh, null cells transparent in the PNG.
cat > file_ramp.txt <<'RAMP'
0% 0 0 255
25% 0 255 255
50% 0 255 0
75% 255 255 0
100% 255 0 0
RAMP

time_log=time.log
. "$root/bench/timing.sh"

labels="named_BMP file_BMP named_PNG file_PNG"
command_of() {
    case $1 in
    named_BMP) echo "$rastrify $input named.bmp -Cviridis" ;;
    file_BMP) echo "$rastrify $input file.bmp -Cfile_ramp.txt" ;;
    named_PNG) echo "$rastrify $input named.png -Cviridis" ;;
    file_PNG) echo "$rastrify $input file.png -Cfile_ramp.txt" ;;
    esac
}

echo "machine: $(nproc) processors; load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
# One line a run: the wall time and the processor time.
run() {
    set -- $(timed $(command_of "$1"))
    echo "$1 $(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.3f", s }' "$time_log")"
}
for label in $labels; do : > "palette_runs_$label.log"; done
# One warm-up round, then the timed rounds, the tools in turn.
for label in $labels; do run "$label" > /dev/null; done
i=0
while [ "$i" -lt "$runs" ]; do
    for label in $labels; do run "$label" >> "palette_runs_$label.log"; done
    i=$((i + 1))
done
printf '%-12s %10s %10s\n' tool "median s" "median cpu"
for label in $labels; do
    t=$(cut -d' ' -f1 "palette_runs_$label.log" | median)
    c=$(cut -d' ' -f2 "palette_runs_$label.log" | median)
    eval "time_$label=$t cpu_$label=$c"
    printf '%-12s %10.3f %10.3f\n' "$label" "$t" "$c"
done
ratio() {
    awk -v k="$1" -v a="$2" -v b="$3" -v c="$4" -v d="$5" \
        'BEGIN { printf "%s file / named: %.2f (processor time %.2f)\n", k, a / b, c / d }'
}
ratio BMP "$time_file_BMP" "$time_named_BMP" "$cpu_file_BMP" "$cpu_named_BMP"
ratio PNG "$time_file_PNG" "$time_named_PNG" "$cpu_file_PNG" "$cpu_named_PNG"
