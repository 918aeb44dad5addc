# Run by the zip's install: writes SHA256SUMS over the files LESAMO_SUMMED as they were just
# installed, one "HASH  NAME" line each (sha256sum's format), with Windows line ends.
set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(sums "")
foreach(name IN LISTS LESAMO_SUMMED)
    file(SHA256 "${dir}/${name}" hash)
    string(APPEND sums "${hash}  ${name}\r\n")
endforeach()
message(STATUS "Installing: ${dir}/SHA256SUMS")
file(WRITE "${dir}/SHA256SUMS" "${sums}")
