# What `cmake --install` lays down: the module and its registry file (control/package), the host
# and widget libraries with their headers (control/host, control/widget), the Designer plugin
# (control/designer), and here the programs, the CMake package, the pkg-config file and the
# documents. Nothing installed names the build tree.

include(CMakePackageConfigHelpers)

set(VELKAN_INSTALLED_PROGRAMS velkan-search velkan-host velkan-regsvr velkan-param velkan-localnet)
install(TARGETS ${VELKAN_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program IN LISTS VELKAN_INSTALLED_PROGRAMS)
  velkan_install_rpath(${program} ${CMAKE_INSTALL_BINDIR})
endforeach()
velkan_install_rpath(velkanfilesearch_widget ${CMAKE_INSTALL_LIBDIR})
velkan_install_rpath(velkanfilesearch_designer ${VELKAN_QT_PLUGIN_DIR}/designer)

install(EXPORT VelkanFileSearchTargets
    NAMESPACE VelkanFileSearch::
    FILE VelkanFileSearchTargets.cmake
    DESTINATION ${VELKAN_CMAKE_DIR}
)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelkanFileSearchConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VelkanFileSearchConfig.cmake
    INSTALL_DESTINATION ${VELKAN_CMAKE_DIR}
)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelkanFileSearchConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion
)
install(FILES
    ${PROJECT_BINARY_DIR}/VelkanFileSearchConfig.cmake
    ${PROJECT_BINARY_DIR}/VelkanFileSearchConfigVersion.cmake
    DESTINATION ${VELKAN_CMAKE_DIR}
)

# pkg-config finds the prefix from the file's own place, so any install prefix works.
set(VELKAN_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VELKAN_PKGCONFIG_TO_PREFIX /prefix/${VELKAN_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" VELKAN_PKGCONFIG_TO_PREFIX "${VELKAN_PKGCONFIG_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/velkanfilesearch.pc.in ${PROJECT_BINARY_DIR}/velkanfilesearch.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velkanfilesearch.pc DESTINATION ${VELKAN_PKGCONFIG_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/docs/embedding.md DESTINATION ${VELKAN_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/embed DESTINATION ${VELKAN_DOC_DIR}/examples)
