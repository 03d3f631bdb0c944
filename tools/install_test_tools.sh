#!/bin/sh
# Installs what the tests read images back with, when missing: Pillow for the
# distribution's Python (/usr/bin/python3), pytest and numpy for the tests of
# the Python package, GDAL's command-line tools and Python bindings, and
# headless Chromium, which draws the SVG colour bars as a reader's browser does.
# Called by `make test`; needs root on Debian. Without them the tests that
# use them are reported as skipped, so a machine without root still tests.
set -eu

need=""
/usr/bin/python3 -c "import PIL" >/dev/null 2>&1 || need="$need python3-pil"
/usr/bin/python3 -c "import pytest" >/dev/null 2>&1 || need="$need python3-pytest"
/usr/bin/python3 -c "import numpy" >/dev/null 2>&1 || need="$need python3-numpy"
/usr/bin/python3 -c "from osgeo import gdal" >/dev/null 2>&1 || need="$need python3-gdal"
command -v gdalinfo >/dev/null 2>&1 || need="$need gdal-bin"
command -v chromium >/dev/null 2>&1 || need="$need chromium"
[ -z "$need" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install_test_tools.sh: not root, so without:$need (the tests that need them are skipped)" >&2
    exit 0
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
