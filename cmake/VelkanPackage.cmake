# `./run package`: a Debian package of everything `cmake --install` lays down, into /usr. The
# dependencies come from the binaries (dpkg-shlibdeps) plus what the panel uses without linking:
# the Korean font it draws with and the icon theme its file-type pictures come from.

set(VELKAN_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)

# Debian wants the licence in its own format and the changelog compressed, in the doc folder
# (changelog.gz: the package is its own upstream).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE VELKAN_LICENSE_TEXT)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_TEXT}")
string(REGEX REPLACE "\n\n" "\n.\n" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
string(REGEX REPLACE "\n$" "" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
string(REGEX REPLACE "\n" "\n " VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
configure_file(${VELKAN_DEBIAN_DIR}/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9nc ${VELKAN_DEBIAN_DIR}/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.gz
    DEPENDS ${VELKAN_DEBIAN_DIR}/changelog
)
add_custom_target(velkan_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${VELKAN_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkanfilesearch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VelkanFileSearch developers")
set(CPACK_PACKAGE_CONTACT "VelkanFileSearch developers <developers@velkanfilesearch.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "embeddable peer-to-peer file-search control for Qt applications")
set(CPACK_PACKAGE_DESCRIPTION "VelkanFileSearch searches the users of a peer-to-peer file-sharing service
for files and lists what they offer, in a panel that other applications
embed. This package holds the control's module and its registry entries, the
host and Qt widget libraries with their headers, CMake package and
pkg-config file, a Qt Designer plugin, the command-line and desktop hosts,
the registration tool and a local demonstration network.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-nanum, adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VELKAN_DEBIAN_DIR}/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
