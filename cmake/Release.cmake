# What a release needs of every build tree, set before any target so that all of them take it.
#
# The release date is the one of this version's heading in CHANGELOG.md ("## 1.0.0.1
# (2026-12-07)"), and SOURCE_DATE_EPOCH is its midnight UTC: it stands in the sources, so a
# clone, a shallow clone and the unpacked source tarball build the same bytes, and it is the
# date the manual pages and the package's changelog print. LESAMO_RELEASE_DATE and
# LESAMO_SOURCE_DATE_EPOCH (also in the cache, where scripts/dist.sh reads it) hold it;
# LESAMO_LICENSE_NAME, LESAMO_COPYRIGHT and LESAMO_LICENSE_TERMS come from LICENSE.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/LICENSE)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md heading REGEX "^## ${version_pattern} \\(")
if(NOT heading MATCHES "\\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
    message(FATAL_ERROR "CHANGELOG.md has no entry \"## ${PROJECT_VERSION} (YYYY-MM-DD)\" for this version")
endif()
set(LESAMO_RELEASE_DATE ${CMAKE_MATCH_1})
execute_process(COMMAND date -u -d "${LESAMO_RELEASE_DATE} 00:00:00" +%s
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(LESAMO_SOURCE_DATE_EPOCH ${epoch} CACHE INTERNAL "The release's time stamp (CHANGELOG.md)")

file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "^([^\n]+)\n\nCopyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE: no licence name, \"Copyright (c) ...\" line and licence text")
endif()
set(LESAMO_LICENSE_NAME ${CMAKE_MATCH_1})
set(LESAMO_COPYRIGHT ${CMAKE_MATCH_2})
set(LESAMO_LICENSE_TERMS ${CMAKE_MATCH_3})

# No folder of the build machine in any binary: file names in debugging information, in
# __FILE__ and in the compilation directory are relative to the sources, so two clones in
# different folders build the same bytes. (Not for the resource compiler, which knows no such
# option.)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>")

if(WIN32)
    # A PE file's header holds the time it was linked; MinGW's ld takes it from
    # SOURCE_DATE_EPOCH when that is set, so every link of this release writes its date.
    foreach(language C CXX)
        set(CMAKE_${language}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${LESAMO_SOURCE_DATE_EPOCH})
    endforeach()
endif()

if(LESAMO_RELEASE STREQUAL "deb")
    # The Debian package's programs are built with the distribution's flags, as dpkg-buildflags
    # gives them, with all hardening on (fortified functions, stack protector, read-only
    # relocations bound at start). The whole tree takes them, so its tests run the very
    # binaries that are shipped.
    find_program(LESAMO_DPKG_BUILDFLAGS dpkg-buildflags)
    if(NOT LESAMO_DPKG_BUILDFLAGS)
        message(FATAL_ERROR "dpkg-buildflags is missing (Debian package dpkg-dev; scripts/install-deps.sh installs it)")
    endif()
    foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${LESAMO_DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        # It maps the folder it runs in; the map of every tree is the one above.
        string(REGEX REPLACE "-ffile-prefix-map=[^ ]*" "" LESAMO_DPKG_${kind} "${flags}")
    endforeach()
    string(APPEND CMAKE_C_FLAGS " ${LESAMO_DPKG_CPPFLAGS} ${LESAMO_DPKG_CFLAGS}")
    string(APPEND CMAKE_CXX_FLAGS " ${LESAMO_DPKG_CPPFLAGS} ${LESAMO_DPKG_CXXFLAGS}")
    foreach(kind EXE SHARED MODULE)
        string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${LESAMO_DPKG_LDFLAGS}")
    endforeach()
endif()
