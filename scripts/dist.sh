#!/usr/bin/env bash
# Makes the releases from built trees, the same bytes from every build of one commit: the
# Debian package of the Linux tree with CPack (checked with lintian), the zip of the i686
# Windows tree with zip(1), the source tarball with git archive, and SHA256SUMS over the
# files made. Every time stamp in the package and the zip is the release's SOURCE_DATE_EPOCH
# (LESAMO_SOURCE_DATE_EPOCH of the trees: the date of the version's heading in CHANGELOG.md);
# the tarball's entries carry the time of the commit, as git archive writes them.
# `make dist` runs it over build/native, build/win32 and the repository; the tests run it
# over trees of their own.
#
# usage: dist.sh [--deb NATIVE-TREE] [--zip WIN32-TREE] [--source REPOSITORY] OUTPUT-DIR
# Exit status: 0 made; 1 a step failed, or lintian found an error, a warning or a hardening
# tag; 2 wrong usage.
set -euo pipefail

deb_tree= zip_tree= repository=
while [ $# -gt 1 ]; do
    case $1 in
        --deb) deb_tree=$2; shift 2 ;;
        --zip) zip_tree=$2; shift 2 ;;
        --source) repository=$2; shift 2 ;;
        *) break ;;
    esac
done
if [ $# -ne 1 ] || { [ -z "$deb_tree" ] && [ -z "$zip_tree" ]; }; then
    echo "usage: dist.sh [--deb NATIVE-TREE] [--zip WIN32-TREE] [--source REPOSITORY] OUTPUT-DIR" >&2
    exit 2
fi
out=$1
fail() { echo "dist: $*" >&2; exit 1; }

# Nothing of the one who builds enters the bytes: zip's DOS times are local times, so UTC;
# names sort and tools speak the same everywhere; new files are 0644 whatever the umask.
export TZ=UTC LC_ALL=C
umask 022

# cached TREE NAME: a value from the tree's CMake cache.
cached() {
    [ -f "$1/CMakeCache.txt" ] || fail "$1 is not a configured build tree"
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}
version= epoch=
for tree in $deb_tree $zip_tree; do
    tree_version=$(cached "$tree" CMAKE_PROJECT_VERSION) tree_epoch=$(cached "$tree" LESAMO_SOURCE_DATE_EPOCH)
    [ -n "$tree_epoch" ] || fail "$tree has no LESAMO_SOURCE_DATE_EPOCH: configure it anew"
    [ -z "$version" ] || [ "$version/$epoch" = "$tree_version/$tree_epoch" ] ||
        fail "the trees are of different releases: $version ($epoch) and $tree_version ($tree_epoch)"
    version=$tree_version epoch=$tree_epoch
done
export SOURCE_DATE_EPOCH=$epoch

mkdir -p "$out"
staging=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-dist.XXXXXX")
trap 'rm -rf "$staging"' EXIT
made=()

# built TREE: builds what the tree ships (the target dist-files), quietly unless it fails.
built() {
    cmake --build "$1" --target dist-files >"$staging/build.log" 2>&1 ||
        { cat "$staging/build.log" >&2; fail "building $1 failed"; }
}

if [ -n "$deb_tree" ]; then
    built "$deb_tree"
    # CPack takes every time stamp from SOURCE_DATE_EPOCH (ar members, tar entries, gzip
    # headers) and writes owner and group as root; it keeps its work files beside the package.
    cpack --config "$deb_tree/CPackConfig.cmake" -B "$staging/deb" >"$staging/cpack.log" 2>&1 ||
        { cat "$staging/cpack.log" >&2; fail "CPack failed on $deb_tree"; }
    deb=lesamo_${version}_$(dpkg --print-architecture).deb
    [ -f "$staging/deb/$deb" ] || fail "CPack made no $deb in $deb_tree"
    mv "$staging/deb/$deb" "$out/$deb"
    made+=("$deb")
    # Every tag down to the pedantic ones is printed (docs/releases.md says why those that remain
    # do); an error, a warning or any hardening tag fails.
    status=0
    lintian -I --pedantic --fail-on error,warning "$out/$deb" >"$staging/lintian" 2>&1 || status=$?
    grep -v '^running with root privileges' "$staging/lintian" >&2 || true
    [ "$status" -eq 0 ] || fail "lintian rejects $out/$deb"
    ! grep -q ' hardening-' "$staging/lintian" || fail "lintian finds $out/$deb not hardened"
fi

if [ -n "$zip_tree" ]; then
    built "$zip_tree"
    # The install rules put the files as they ship (stripped, Windows line ends, SHA256SUMS);
    # their times become the release's, and they go in by name, without the extra fields
    # (-X) that would add the builder's uid and gid and the access times.
    cmake --install "$zip_tree" --prefix "$staging/zip" --strip >"$staging/install.log" 2>&1 ||
        { cat "$staging/install.log" >&2; fail "installing $zip_tree failed"; }
    mapfile -t files < <(cd "$staging/zip" && find . -type f -printf '%P\n' | sort)
    (cd "$staging/zip" && touch -d "@$epoch" "${files[@]}")
    zip=lesamo-$version-win32.zip
    rm -f "$out/$zip"
    (cd "$staging/zip" && zip -X -D -9 -q "$staging/$zip" "${files[@]}")
    mv "$staging/$zip" "$out/$zip"
    made+=("$zip")
fi

if [ -n "$repository" ]; then
    # The committed sources at HEAD; git archive stamps every entry with the commit's time
    # and names the commit in the archive's header (git get-tar-commit-id).
    git -C "$repository" rev-parse --verify -q HEAD >/dev/null ||
        fail "$repository is not a git checkout with a commit: the source tarball is made by git archive"
    [ -z "$(git -C "$repository" status --porcelain --untracked-files=no)" ] ||
        echo "dist: warning: $repository has uncommitted changes; the source tarball holds HEAD" \
             "($(git -C "$repository" rev-parse --short HEAD)) without them" >&2
    tarball=lesamo-$version.tar.gz
    git -C "$repository" archive --format=tar --prefix="lesamo-$version/" HEAD | gzip -9n >"$staging/$tarball"
    mv "$staging/$tarball" "$out/$tarball"
    made+=("$tarball")
fi

# One SHA256SUMS over everything made here, in sha256sum's format (sha256sum -c SHA256SUMS).
(cd "$out" && sha256sum "${made[@]}") >"$staging/SHA256SUMS"
mv "$staging/SHA256SUMS" "$out/SHA256SUMS"
(cd "$out" && ls -l "${made[@]}" SHA256SUMS)
