#!/bin/sh
# Makes tests/data/palette/: a synthetic elevation model (hills and valleys
# with a rough surface, 120 x 90 cells of 30 m, a corner of no-data) as a
# Float32 GeoTIFF, and the GMT table makecpt makes of GMT's "geo" palette
# for its range. The palette tests compare the converter with gdaldem on
# them. Run once by hand (needs numpy, GDAL's tools and GMT); the files are
# committed.
set -eu
out=$(cd "$(dirname "$0")/.." && pwd)/tests/data/palette
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work/dem.asc" <<'PY'
import sys
import numpy as np
rng = np.random.default_rng(7)
ny, nx = 90, 120
y, x = np.mgrid[0:ny, 0:nx]
z = np.full((ny, nx), 400.0)
for _ in range(10):
    cx, cy = rng.uniform(0, nx), rng.uniform(0, ny)
    s, h = rng.uniform(6, 30), rng.uniform(-300, 900)
    z += h * np.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * s * s))
for k in range(1, 7):
    a, f = rng.uniform(0, 2 * np.pi), 0.03 * 2 ** k
    z += 60 / 2 ** k * np.sin(f * (x * np.cos(a) + y * np.sin(a)) + rng.uniform(0, 6))
z[:6, :8] = -9999
with open(sys.argv[1], "w") as o:
    o.write(f"ncols {nx}\nnrows {ny}\nxllcorner 500000\nyllcorner 4100000\ncellsize 30\nNODATA_value -9999\n")
    for row in z:
        o.write(" ".join(f"{v:.2f}" for v in row) + "\n")
PY
gdal_translate -q -ot Float32 -co COMPRESS=DEFLATE -co PREDICTOR=3 "$work/dem.asc" "$out/dem.tif"
range=$(gdalinfo -mm "$out/dem.tif" | sed -n 's/.*Computed Min\/Max=\([-0-9.]*\),\([-0-9.]*\).*/\1\/\2/p')
gmt makecpt -Cgeo -T"$range" > "$out/geo.cpt"
# The same stops as a colour-relief file for gdaldem, which reads no GMT
# table: each segment's two stops, components rounded as GMT rounds them,
# and no-data transparent, as the comparison leaves it out.
awk '/^[-0-9.]/ { split($2, a, "/"); split($4, b, "/");
     printf "%s %d %d %d\n%s %d %d %d\n", $1, a[1] + 0.5, a[2] + 0.5, a[3] + 0.5, $3, b[1] + 0.5, b[2] + 0.5, b[3] + 0.5 }
     END { print "nv 0 0 0 0" }' \
    "$out/geo.cpt" > "$out/geo_stops.txt"
