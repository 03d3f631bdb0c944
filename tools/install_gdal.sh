#!/bin/sh
# Installs GDAL's command-line tools and GNU time (for peak memory) when missing.
# Used to make the committed sample files and by bench/end_to_end.sh; needs root on Debian.
set -eu

need=""
command -v gdal_translate >/dev/null 2>&1 || need="$need gdal-bin"
[ -x /usr/bin/time ] || need="$need time"
[ -z "$need" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install_gdal.sh: run as root to install:$need" >&2
    exit 1
fi
# One index refresh is enough; the install step then takes what it needs.
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
