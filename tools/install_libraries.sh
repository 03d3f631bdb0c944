#!/bin/sh
# Installs the development files of the libraries gridlib is built on, those
# that are missing: libpng (PNG images), libtiff and libgeotiff (GeoTIFF
# grids and images) and libnetcdf (netCDF grids), all from the
# distribution's packages. Called by the Makefile before every
# configuration; needs root on Debian when something is missing.
set -eu

need=""
pkg-config --exists libpng 2>/dev/null || [ -f /usr/include/png.h ] || need="$need libpng-dev"
pkg-config --exists libtiff-4 2>/dev/null || [ -f /usr/include/x86_64-linux-gnu/tiff.h ] || [ -f /usr/include/tiff.h ] ||
    need="$need libtiff-dev"
[ -f /usr/include/geotiff/geotiff.h ] || [ -f /usr/include/geotiff.h ] || need="$need libgeotiff-dev"
pkg-config --exists netcdf 2>/dev/null || [ -f /usr/include/netcdf.h ] || need="$need libnetcdf-dev"
[ -z "$need" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install_libraries.sh: run as root to install:$need" >&2
    exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
