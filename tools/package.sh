#!/usr/bin/env bash
# Builds the Windows side and the release packages from it:
#   build/packages/Velmora-<version>-portable.zip and build/packages/Velmora-Setup-<version>.exe
# (NSIS's makensis from Debian's nsis package builds the installer).
set -euo pipefail
. "$(dirname "$0")/lib.sh"

VELMORA_PACKAGES="$VELMORA_PACKAGES nsis"
velmora_install_packages
velmora_build_windows
velmora_log "packages"
"$VELMORA_ROOT/packaging/make-packages.sh" "$VELMORA_WIN_BUILD" "$VELMORA_BUILD/packages"
