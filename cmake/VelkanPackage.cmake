# `./run package`: Debian packages of what `cmake --install` lays down, into /usr, one per
# install component, as Debian lays a library out: each shared library in a package named after
# its SONAME, the development files apart, the programs apart, the Designer plugin apart, and
# `velkanfilesearch`, the one package of 1.8.1, kept as a transitional package so that an
# upgrade from it brings the split ones in. The dependencies on other packages come from the
# binaries (dpkg-shlibdeps); those between our own packages, and on what the panel uses without
# linking (the Korean font it draws with, the icon theme its file-type pictures come from), are
# given here.

set(VELKAN_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(VELKAN_DEBIAN_REVISION 2)
set(VELKAN_DEBIAN_VERSION ${PROJECT_VERSION}-${VELKAN_DEBIAN_REVISION})

# component -> package name; the order is the order the packages are listed in.
set(VELKAN_PACKAGES
    libhost libvelkanfilesearch-host1
    libwidget libvelkanfilesearch-widget1
    control velkanfilesearch-control
    dev libvelkanfilesearch-dev
    tools velkanfilesearch-tools
    host velkanfilesearch-host
    web velkanfilesearch-web
    designer qt6-designer-plugin-velkanfilesearch
    transitional velkanfilesearch
)
if(VELKAN_API_REFERENCE)
  list(APPEND VELKAN_PACKAGES doc libvelkanfilesearch-doc)
endif()

# Debian wants the licence in its own format and the changelog compressed, in each package's
# doc folder (changelog.Debian.gz: the packaging's history).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE VELKAN_LICENSE_TEXT)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_TEXT}")
string(REGEX REPLACE "\n\n" "\n.\n" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
string(REGEX REPLACE "\n$" "" VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
string(REGEX REPLACE "\n" "\n " VELKAN_LICENSE_BODY "${VELKAN_LICENSE_BODY}")
configure_file(${VELKAN_DEBIAN_DIR}/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    COMMAND gzip -9nc ${VELKAN_DEBIAN_DIR}/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DEPENDS ${VELKAN_DEBIAN_DIR}/changelog
)
add_custom_target(velkan_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)

set(CPACK_COMPONENTS_ALL "")
set(VELKAN_PACKAGE_NAMES "")
list(LENGTH VELKAN_PACKAGES count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
  math(EXPR next "${index} + 1")
  list(GET VELKAN_PACKAGES ${index} component)
  list(GET VELKAN_PACKAGES ${next} package)
  list(APPEND CPACK_COMPONENTS_ALL ${component})
  list(APPEND VELKAN_PACKAGE_NAMES ${package})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  set(VELKAN_PACKAGE_${COMPONENT} ${package})
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
          DESTINATION ${VELKAN_DOC_ROOT}/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGE_NAME velkanfilesearch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELKAN_DEBIAN_REVISION})
set(CPACK_PACKAGE_VENDOR "VelkanFileSearch developers")
set(CPACK_PACKAGE_CONTACT "VelkanFileSearch developers <developers@velkanfilesearch.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are in no installed package while the packages are made: dpkg-shlibdeps
# finds them in the build tree and leaves them out, and the dependencies on them are given below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/control/host ${PROJECT_BINARY_DIR}/control/widget)

set(VELKAN_EXACT "(= ${VELKAN_DEBIAN_VERSION})")
# Every package takes over files of the single 1.8.1 package.
set(VELKAN_TAKES_OVER "velkanfilesearch (<< ${VELKAN_DEBIAN_VERSION})")
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} COMPONENT)
  if(NOT component STREQUAL "transitional")
    set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_BREAKS ${VELKAN_TAKES_OVER})
    set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_REPLACES ${VELKAN_TAKES_OVER})
  endif()
endforeach()

# A library package's control files: its shlibs entry, which tells dpkg-shlibdeps what a program
# linked to the library depends on, and the ldconfig trigger. CPack also writes an ldconfig call
# into postinst and postrm of every package with a library in /usr/lib, which it offers no way
# to leave out; lintian is told so, with that reason, in the package's override file.
function(velkan_library_control component library package)
  set(dir ${PROJECT_BINARY_DIR}/debian/${package})
  file(WRITE ${dir}/shlibs "lib${library} ${PROJECT_VERSION_MAJOR} ${package} (>= ${PROJECT_VERSION})\n")
  file(COPY ${VELKAN_DEBIAN_DIR}/triggers DESTINATION ${dir})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_CONTROL_EXTRA ${dir}/shlibs ${dir}/triggers PARENT_SCOPE)
  file(WRITE ${dir}/lintian-overrides
"# CPack's DEB generator writes ldconfig into postinst and postrm for every library in /usr/lib
# and cannot be told not to; the package activates the ldconfig trigger as well, so the calls
# are redundant, not missing or wrong.
${package}: maintscript-calls-ldconfig [postinst]
${package}: maintscript-calls-ldconfig [postrm]
")
  install(FILES ${dir}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME ${package} COMPONENT ${component})
endfunction()

set(VELKAN_ABOUT "VelkanFileSearch searches the users of a peer-to-peer file-sharing service
for files and lists what they offer, in a panel that other applications
embed.")

set(CPACK_DEBIAN_LIBHOST_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBHOST_DESCRIPTION "embeddable file-search control - host library
${VELKAN_ABOUT}
.
This package holds the library hosts use to find the control through the
registry, create it and keep its properties.")
set(CPACK_DEBIAN_LIBHOST_PACKAGE_DEPENDS "${VELKAN_PACKAGE_CONTROL} ${VELKAN_EXACT}")
velkan_library_control(libhost velkanfilesearch-host ${VELKAN_PACKAGE_LIBHOST})

set(CPACK_DEBIAN_LIBWIDGET_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBWIDGET_DESCRIPTION "embeddable file-search control - Qt widget library
${VELKAN_ABOUT}
.
This package holds velkan::FileSearchWidget, the control as a Qt widget.")
set(CPACK_DEBIAN_LIBWIDGET_PACKAGE_DEPENDS
    "${VELKAN_PACKAGE_CONTROL} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_LIBHOST} ${VELKAN_EXACT}")
velkan_library_control(libwidget velkanfilesearch-widget ${VELKAN_PACKAGE_LIBWIDGET})

set(CPACK_DEBIAN_CONTROL_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_CONTROL_DESCRIPTION "embeddable file-search control - the control's module
${VELKAN_ABOUT}
.
This package holds the module that serves the control and the registry
entries that lead hosts to it.")
set(CPACK_DEBIAN_CONTROL_PACKAGE_DEPENDS "fonts-nanum, adwaita-icon-theme")

set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION "embeddable file-search control - development files
${VELKAN_ABOUT}
.
This package holds the headers, the CMake package and the pkg-config file
to build Qt applications that embed the control, and the embedding guide.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "qt6-base-dev, ${VELKAN_PACKAGE_LIBHOST} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_LIBWIDGET} ${VELKAN_EXACT}")

set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION net)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "embeddable file-search control - command-line tools
${VELKAN_ABOUT}
.
This package holds velkan-search, which searches without a window,
velkan-localnet, a local network to try the control against, velkan-param,
which makes the control's start-up parameters, and velkan-regsvr, which
registers a module.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${VELKAN_PACKAGE_LIBHOST} ${VELKAN_EXACT}")

set(CPACK_DEBIAN_HOST_PACKAGE_SECTION net)
set(CPACK_COMPONENT_HOST_DESCRIPTION "embeddable file-search control - desktop application
${VELKAN_ABOUT}
.
This package holds velkan-host, a window around the control that keeps its
properties between runs.")
set(CPACK_DEBIAN_HOST_PACKAGE_DEPENDS "${VELKAN_PACKAGE_LIBHOST} ${VELKAN_EXACT}")

set(CPACK_DEBIAN_WEB_PACKAGE_SECTION net)
set(CPACK_COMPONENT_WEB_DESCRIPTION "embeddable file-search control - bridge for web pages
${VELKAN_ABOUT}
.
This package holds velkan-webhost, which serves the control to web pages
of this machine as the velkan-file-search element, and the systemd user
units that start it on the first connection.")
# The bridge serves the panel's font file to the pages; it needs no browser of its own.
set(CPACK_DEBIAN_WEB_PACKAGE_DEPENDS "fonts-nanum")
# The machine's allow-list is the administrator's to edit: an upgrade keeps their origins.
file(WRITE ${PROJECT_BINARY_DIR}/debian/${VELKAN_PACKAGE_WEB}/conffiles
     "${CMAKE_INSTALL_FULL_SYSCONFDIR}/velkanfilesearch/web-origins\n")
set(CPACK_DEBIAN_WEB_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/${VELKAN_PACKAGE_WEB}/conffiles)

set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_DESIGNER_DESCRIPTION "embeddable file-search control - Qt Designer plugin
${VELKAN_ABOUT}
.
This package puts velkan::FileSearchWidget in Qt Designer's widget box and
lets QUiLoader load forms that use it.")
set(CPACK_DEBIAN_DESIGNER_PACKAGE_DEPENDS
    "${VELKAN_PACKAGE_LIBWIDGET} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_LIBHOST} ${VELKAN_EXACT}")

set(CPACK_DEBIAN_TRANSITIONAL_PACKAGE_SECTION oldlibs)
set(CPACK_DEBIAN_TRANSITIONAL_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_TRANSITIONAL_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_TRANSITIONAL_DESCRIPTION "embeddable file-search control - transitional package
${VELKAN_ABOUT}
.
This is a transitional package: it brings in the packages the single
velkanfilesearch package was split into, and can be removed.")
set(CPACK_DEBIAN_TRANSITIONAL_PACKAGE_DEPENDS
    "${VELKAN_PACKAGE_DEV} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_TOOLS} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_HOST} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_WEB} ${VELKAN_EXACT}, ${VELKAN_PACKAGE_DESIGNER} ${VELKAN_EXACT}")

set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DOC_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DOC_DESCRIPTION "embeddable file-search control - API reference
${VELKAN_ABOUT}
.
This package holds the reference of the installed headers as HTML and as a
Qt help file for Qt Assistant and Qt Creator.")
string(JOIN ", " CPACK_DEBIAN_DOC_PACKAGE_DEPENDS ${VELKAN_API_DEPENDS})

include(CPack)
