#!/usr/bin/env bash
# Builds the portable zip and the installer from a finished Windows build:
#   make-packages.sh WIN_BUILD_DIR DEST_DIR
# Writes DEST_DIR/Velmora-<version>-portable.zip and DEST_DIR/Velmora-Setup-<version>.exe.
# The version is the project's one version, read from the build's CMake cache.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: make-packages.sh WIN_BUILD_DIR DEST_DIR}" && pwd)
dest=${2:?usage: make-packages.sh WIN_BUILD_DIR DEST_DIR}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
out=$build/out

# What a user gets, and nothing else: never the simulated nvapi64.dll, the test helpers or
# the split-off *.debug files. "Velmora.xml" is handled apart (an upgrade keeps the user's).
program_files=(Velmora.exe VelmoraFanGuard.exe Norvane.dll Talwyn.dll Ostrid.dll)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make-packages: no project version in $build/CMakeCache.txt" >&2; exit 1; }
for f in "${program_files[@]/#/$out/}" "$out/Velmora.xml" "$build/icons/velmora.ico" \
    "$build/icons/installer-wizard.bmp"; do
  [ -f "$f" ] || { echo "make-packages: $f is missing (build the Windows side first)" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "make-packages: makensis not found (Debian package nsis)" >&2; exit 1; }

mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The portable package: the same files, flat, runnable from whatever folder they land in.
zip=$dest/Velmora-$version-portable.zip
python3 - "$out" "$zip" "${program_files[@]}" Velmora.xml <<'PY'
import os, sys, zipfile
src, target, names = sys.argv[1], sys.argv[2], sys.argv[3:]
tmp = target + ".tmp"
with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in names:
        z.write(os.path.join(src, name), name)
os.replace(tmp, target)
PY

# The installer's File and Delete lines come from the one list above.
{
  echo '!macro VELMORA_INSTALL_FILES'
  for f in "${program_files[@]}"; do echo "  File \"\${SRC}\\$f\""; done
  echo '!macroend'
  echo '!macro VELMORA_DELETE_FILES'
  for f in "${program_files[@]}"; do echo "  Delete \"\$INSTDIR\\$f\""; done
  echo '!macroend'
} >"$work/files.nsh"
size_kb=$(( ($(cd "$out" && cat "${program_files[@]}" Velmora.xml | wc -c) + 1023) / 1024 ))
setup=$dest/Velmora-Setup-$version.exe
# makensis takes Windows-style paths through its defines; "/" works as well on Linux.
makensis -V2 -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DSRC=$out" "-DICON=$build/icons/velmora.ico" \
  "-DWIZARD=$build/icons/installer-wizard.bmp" \
  "-DOUTFILE=$work/${setup##*/}" "-DSIZE_KB=$size_kb" "-DFILES_NSH=$work/files.nsh" \
  "$here/velmora.nsi" >&2
mv -f "$work/${setup##*/}" "$setup"
echo "$zip"
echo "$setup"
