#!/usr/bin/env bash
# Prints, one a line, "NAME:amd64=VERSION" and "NAME:i386=VERSION" for every Multi-Arch: same
# package that PACKAGE:i386 needs (recursively) whose installed amd64 version differs from the
# version the i386 index offers: what apt-get must be told to install both as one version.
#
# usage: align-twins.sh PACKAGE:i386
set -uo pipefail
top=${1:?usage: align-twins.sh PACKAGE:i386}
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$top" 2>/dev/null | grep -E '^[^ <].*:i386$' | sort -u |
while read -r package; do
    name=${package%:i386}
    installed=$(dpkg-query -W -f='${Status} ${Version}' "$name:amd64" 2>/dev/null) || continue
    [[ $installed == "install ok installed "* ]] || continue
    installed=${installed##* }
    offered=$(apt-cache policy "$package" | sed -n 's/^  Candidate: //p')
    [ -n "$offered" ] && [ "$offered" != "(none)" ] && [ "$offered" != "$installed" ] || continue
    multiarch=$(apt-cache show "$name:amd64=$offered" 2>/dev/null | sed -n 's/^Multi-Arch: //p' | head -1)
    [ "$multiarch" = same ] || continue
    echo "$name:amd64=$offered"
    echo "$package=$offered"
done
