#!/bin/sh
# Palette file benchmark: rastrify's image of a grid coloured by value
# through a palette file (-Cfile_ramp.txt) against its image of the same grid
# through a named palette (-Cviridis), as a BMP and as a PNG. Whole runs,
# round after round on a warm page cache; reports the median wall time of
# each and the ratios file / named, whose aim is at most 1.5.
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
for label in $labels; do : > "palette_runs_$label.log"; done
# One warm-up round, then the timed rounds, the tools in turn.
for label in $labels; do timed $(command_of "$label") > /dev/null; done
i=0
while [ "$i" -lt "$runs" ]; do
    for label in $labels; do timed $(command_of "$label") >> "palette_runs_$label.log"; done
    i=$((i + 1))
done
printf '%-12s %10s\n' tool "median s"
for label in $labels; do
    t=$(cut -d' ' -f1 "palette_runs_$label.log" | median)
    eval "time_$label=$t"
    printf '%-12s %10.3f\n' "$label" "$t"
done
awk -v a="$time_file_BMP" -v b="$time_named_BMP" 'BEGIN { printf "BMP file / named: %.2f\n", a / b }'
awk -v a="$time_file_PNG" -v b="$time_named_PNG" 'BEGIN { printf "PNG file / named: %.2f\n", a / b }'
