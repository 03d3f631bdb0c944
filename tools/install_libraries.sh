#!/bin/sh
# Installs the development files of the libraries gridlib is built on, those
# that are missing: libpng (PNG images), libtiff and libgeotiff (GeoTIFF
# grids and images), libnetcdf (netCDF grids), and FreeType with the DejaVu
# fonts (the labels of PNG colour bars), and Leaflet (the tile viewer), all from the
# distribution's packages. Called by the Makefile before every
# configuration; needs root on Debian when something is missing.
set -eu

need=""
pkg-config --exists libpng 2>/dev/null || [ -f /usr/include/png.h ] || need="$need libpng-dev"
pkg-config --exists libtiff-4 2>/dev/null || [ -f /usr/include/x86_64-linux-gnu/tiff.h ] || [ -f /usr/include/tiff.h ] ||
    need="$need libtiff-dev"
[ -f /usr/include/geotiff/geotiff.h ] || [ -f /usr/include/geotiff.h ] || need="$need libgeotiff-dev"
pkg-config --exists netcdf 2>/dev/null || [ -f /usr/include/netcdf.h ] || need="$need libnetcdf-dev"
pkg-config --exists freetype2 2>/dev/null || [ -f /usr/include/freetype2/ft2build.h ] || need="$need libfreetype-dev"
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] || need="$need fonts-dejavu-core"
[ -f /usr/share/javascript/leaflet/leaflet.min.js ] || need="$need libjs-leaflet"
[ -z "$need" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install_libraries.sh: run as root to install:$need" >&2
    exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
