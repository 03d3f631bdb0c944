#!/bin/sh
# Installs clang (with libFuzzer) when missing, for `make fuzz`; needs root on Debian.
set -eu
command -v clang++ >/dev/null 2>&1 && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "install_clang.sh: run as root to install clang" >&2
    exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang
