#!/bin/sh
# Installs libpng's development files (Debian: libpng-dev) when missing: the
# library writes PNG images through libpng. Called by the Makefile before
# every configuration; needs root on Debian when something is missing.
set -eu

pkg-config --exists libpng 2>/dev/null && exit 0
[ -f /usr/include/png.h ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install_png.sh: run as root to install libpng-dev" >&2
    exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends libpng-dev
