#!/usr/bin/env bash
# Checks a built Windows executable: machine and PE format, subsystem, that it imports
# system DLLs only (the runtime is linked in statically, so nothing has to ship beside it),
# that Windows may load it at a random address (DYNAMIC_BASE, with its relocations kept;
# HIGH_ENTROPY_VA too on x86-64) and keeps its data from running (NX_COMPAT), and that its
# link time stamp is the release's (--timestamp, seconds since 1970); with --manifest, that it embeds a well-formed application manifest naming Windows Vista to
# 10/11 as supported and asking for per-monitor (v2) DPI awareness, system-wide before.
#
# usage: pe-check.sh --objdump PATH --machine i386|x86-64 --subsystem console|windows
#                    --timestamp EPOCH [--manifest] EXE
set -uo pipefail

# DLLs that every Windows installation has. No MinGW runtime DLL (libstdc++-6, libgcc_s_*,
# libwinpthread-1) and no api-ms-win-crt-* (the universal CRT is missing on older systems).
readonly ALLOWED="kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll winmm.dll
shell32.dll msvcrt.dll ole32.dll comdlg32.dll"

objdump= machine= subsystem= timestamp= manifest=0
while [ $# -gt 1 ]; do
    case $1 in
        --manifest) manifest=1; shift ;;
        --objdump) objdump=$2; shift 2 ;;
        --machine) machine=$2; shift 2 ;;
        --subsystem) subsystem=$2; shift 2 ;;
        --timestamp) timestamp=$2; shift 2 ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] && [ -n "$objdump" ] && [ -n "$machine" ] && [ -n "$subsystem" ] && [ -n "$timestamp" ] || {
    echo "usage: pe-check.sh --objdump PATH --machine i386|x86-64 --subsystem console|windows --timestamp EPOCH [--manifest] EXE" >&2
    exit 2
}
exe=$1
readonly end_tag='</assembly>'

case $machine in
    i386) want_format=pei-i386 want_arch='i386' want_magic='(PE32)' want_dll="DYNAMIC_BASE NX_COMPAT" ;;
    x86-64) want_format=pei-x86-64 want_arch='i386:x86-64' want_magic='(PE32+)'
        want_dll="HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT" ;;
    *) echo "pe-check: unknown machine $machine" >&2; exit 2 ;;
esac
case $subsystem in
    console) want_subsystem='(Windows CUI)' ;;
    windows) want_subsystem='(Windows GUI)' ;;
    *) echo "pe-check: unknown subsystem $subsystem" >&2; exit 2 ;;
esac

[ -f "$exe" ] || { echo "pe-check: $exe not found" >&2; exit 1; }
headers=$("$objdump" -f -p "$exe") || { echo "pe-check: $objdump cannot read $exe" >&2; exit 1; }

failed=0
fail() { echo "pe-check: $exe: $*" >&2; failed=1; }

format=$(sed -n 's/.*file format \([^ ]*\).*/\1/p' <<<"$headers" | head -n 1)
arch=$(sed -n 's/^architecture: \([^,]*\),.*/\1/p' <<<"$headers" | head -n 1)
magic=$(awk '$1 == "Magic" { print $3; exit }' <<<"$headers")
sub=$(awk '$1 == "Subsystem" { $1 = $2 = ""; sub(/^ +/, ""); print; exit }' <<<"$headers")
[ "$format" = "$want_format" ] || fail "file format '$format', expected $want_format"
[ "$arch" = "$want_arch" ] || fail "architecture '$arch', expected $want_arch"
[ "$magic" = "$want_magic" ] || fail "optional header magic '$magic', expected $want_magic"
[ "$sub" = "$want_subsystem" ] || fail "subsystem '$sub', expected $want_subsystem"

# DllCharacteristics: 0x20 HIGH_ENTROPY_VA, 0x40 DYNAMIC_BASE, 0x100 NX_COMPAT. Without its
# relocations (Characteristics 0x1) a DYNAMIC_BASE image is loaded at its fixed base.
dll_flags=$((16#$(awk '$1 == "DllCharacteristics" { print $2; exit }' <<<"$headers")))
for flag in $want_dll; do
    case $flag in HIGH_ENTROPY_VA) bit=0x20 ;; DYNAMIC_BASE) bit=0x40 ;; NX_COMPAT) bit=0x100 ;; esac
    ((dll_flags & bit)) || fail "DllCharacteristics $(printf '0x%x' "$dll_flags") without $flag"
done
file_flags=$(awk '$1 == "Characteristics" { print $2; exit }' <<<"$headers")
((file_flags & 0x1)) && fail "relocations stripped (Characteristics $file_flags): no random base"
# The COFF header's TimeDateStamp lies 8 bytes after the PE header's offset (at 0x3c).
u32() { od -An -tu4 -j "$1" -N 4 "$exe" | tr -d ' '; }
stamp=$(u32 $(($(u32 60) + 8)))
[ "$stamp" = "$timestamp" ] ||
    fail "link time stamp $stamp ($(date -u -d "@$stamp" +%F\ %T)), expected $timestamp ($(date -u -d "@$timestamp" +%F\ %T))"

dlls=$(sed -n 's/^[[:space:]]*DLL Name: *//p' <<<"$headers" | tr -d '\r')
[ -n "$dlls" ] || fail "no import table found"
while IFS= read -r dll; do
    [ -n "$dll" ] || continue
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    [[ " $(echo $ALLOWED) " == *" $lower "* ]] || fail "imports $dll, which is not a system DLL"
done <<<"$dlls"

# The manifest lies in the resource section as plain UTF-8: from its declaration to its end tag.
manifest_text=
if [ "$manifest" = 1 ]; then
    command -v xmllint >/dev/null || { echo "pe-check: xmllint is missing (Debian package libxml2-utils)" >&2; exit 1; }
    start=$(grep -obUa '<?xml' "$exe" | head -n 1 | cut -d: -f1)
    end=$(grep -obUa '</assembly>' "$exe" | head -n 1 | cut -d: -f1)
    if [ -z "$start" ] || [ -z "$end" ] || [ "$end" -le "$start" ]; then
        fail "no application manifest embedded"
    else
        xml=$(tail -c +$((start + 1)) "$exe" | head -c $((end - start + ${#end_tag})))
        if ! xmllint --noout - <<<"$xml" 2>/dev/null; then
            fail "the embedded manifest is not well-formed XML"
        else
            xpath() { xmllint --xpath "$1" - <<<"$xml" 2>/dev/null; }
            # Windows Vista, 7, 8, 8.1, 10 and 11 (one identifier for the last two).
            for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
                4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
                8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
                [ "$(xpath "count(//*[local-name()='compatibility' and namespace-uri()='urn:schemas-microsoft-com:compatibility.v1']/*/*[local-name()='supportedOS' and @Id='{$id}'])")" = 1 ] ||
                    fail "the manifest does not name {$id} as supported"
            done
            aware=$(xpath "string(//*[local-name()='dpiAwareness' and namespace-uri()='http://schemas.microsoft.com/SMI/2016/WindowsSettings'])")
            [ "${aware%%,*}" = PerMonitorV2 ] || fail "dpiAwareness '$aware', expected PerMonitorV2 first"
            old=$(xpath "string(//*[local-name()='dpiAware' and namespace-uri()='http://schemas.microsoft.com/SMI/2005/WindowsSettings'])")
            [ "$old" = true ] || fail "dpiAware '$old', expected true"
            manifest_text=", manifest: supported Vista to 10/11, dpiAwareness $aware, dpiAware $old"
        fi
    fi
fi

echo "$exe: $format, $arch $magic, $sub, $want_dll, linked $(date -u -d "@$stamp" +%F\ %T) UTC," \
     "imports: $(echo $dlls)$manifest_text"
exit "$failed"
