#!/usr/bin/env bash
# The releases are the same bytes from every build of one commit. Two clones of the
# repository's HEAD, in folders of different names and depths, each configure the native and
# the win32 preset, build only what ships (the target dist-files) and make the releases with
# scripts/dist.sh, as `make dist` does. The second starts at least two seconds after the first
# has ended, in another time zone, with another umask and another locale. Any byte of
# difference fails, with diffoscope's account of it; so does either clone's folder inside an
# unstripped program (the debugging information a distribution ships apart).
#
# usage: reproducible.sh REPOSITORY
# Exit status: 0 the same bytes; 1 they differ or a step failed; 77 not a git checkout.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: reproducible.sh REPOSITORY" >&2; exit 2; }
repository=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
if ! commit=$(git -C "$repository" rev-parse --verify -q HEAD); then
    echo "SKIP: $repository is not a git checkout, and the source tarball is made by git archive"
    exit 77
fi
[ -z "$(git -C "$repository" status --porcelain --untracked-files=no)" ] ||
    echo "note: both clones build HEAD ($commit), without the uncommitted changes of $repository"
work=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}

# release DIR: a clone of HEAD in DIR, what ships built there and the releases made in DIR/dist.
release() {
    local dir=$1 preset start=$SECONDS times=
    mkdir -p "$(dirname "$dir")"
    git clone -q --shared --no-checkout "$repository" "$dir"
    git -C "$dir" checkout -q --detach "$commit"
    for preset in native win32; do
        { (cd "$dir" && cmake --preset "$preset") && cmake --build "$dir/build/$preset" --target dist-files; } \
            >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "building $preset in $dir"; }
        times+="$preset $((SECONDS - start)) s, " start=$SECONDS
    done
    "$dir/scripts/dist.sh" --deb "$dir/build/native" --zip "$dir/build/win32" --source "$dir" "$dir/dist" \
        >"$work/dist.log" 2>&1 || { cat "$work/dist.log"; fail "dist.sh in $dir"; }
    echo "$dir/dist: made at $(date -u +%T.%N | cut -c1-12) (${times}dist.sh $((SECONDS - start)) s)"
}

first=$work/one/lesamo
second=$work/the-second-copy/of/lesamo
release "$first"
sleep 2
(umask 002 && TZ=America/New_York LC_ALL=C.UTF-8 release "$second")

made=$(cd "$first/dist" && ls)
[ "$made" = "$(cd "$second/dist" && ls)" ] || fail "the two runs made different files: $(ls "$first/dist" "$second/dist")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$first/build/native/CMakeCache.txt")
[ "$(paste -sd ' ' <<<"$made")" = \
  "SHA256SUMS lesamo-$version-win32.zip lesamo-$version.tar.gz lesamo_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "made: $(paste -sd ' ' <<<"$made")"
(cd "$first/dist" && sha256sum --strict -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"

differ=()
for file in $made; do
    cmp -s "$first/dist/$file" "$second/dist/$file" || differ+=("$file")
done
for file in "${differ[@]}"; do
    echo "== $file differs:"
    diffoscope --no-progress --text - --max-text-report-size 200000 "$first/dist/$file" "$second/dist/$file" || true
done
[ ${#differ[@]} -eq 0 ] || fail "not the same bytes: ${differ[*]}"

for dir in "$first" "$second"; do
    leaked=$(grep -l -F "$dir" "$dir/build/native/lesamo" "$dir/build/native/lesamo-reader-sim" \
        "$dir/build/win32/lesamo.exe" || true)
    [ -z "$leaked" ] || fail "the build folder $dir is named inside: $leaked"
done
echo "the same bytes from both runs:"
cat "$first/dist/SHA256SUMS"
