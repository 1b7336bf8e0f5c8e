# What `cmake --install` lays down: the module and its registry file (control/package), the host
# and widget libraries with their headers (control/host, control/widget), the Designer plugin
# (control/designer), and here the programs, the CMake package, the pkg-config file and the
# documents. Nothing installed names the build tree. Each install names the component, and so
# the Debian package, it belongs to (VelkanPackage.cmake).

include(CMakePackageConfigHelpers)

set(VELKAN_INSTALLED_PROGRAMS velkan-search velkan-host velkan-regsvr velkan-param velkan-localnet velkan-webhost)
foreach(program IN LISTS VELKAN_INSTALLED_PROGRAMS)
  velkan_install_rpath(${program} ${CMAKE_INSTALL_BINDIR})
endforeach()
# The desktop host and the web bridge are packages of their own; the command-line tools share one.
function(velkan_program_component program out)
  if(program STREQUAL "velkan-host")
    set(${out} host PARENT_SCOPE)
  elseif(program STREQUAL "velkan-webhost")
    set(${out} web PARENT_SCOPE)
  else()
    set(${out} tools PARENT_SCOPE)
  endif()
endfunction()
foreach(program IN LISTS VELKAN_INSTALLED_PROGRAMS)
  velkan_program_component(${program} component)
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
endforeach()
velkan_install_rpath(velkanfilesearch_widget ${CMAKE_INSTALL_LIBDIR})
velkan_install_rpath(velkanfilesearch_designer ${VELKAN_QT_PLUGIN_DIR}/designer)

install(EXPORT VelkanFileSearchTargets
    NAMESPACE VelkanFileSearch::
    FILE VelkanFileSearchTargets.cmake
    DESTINATION ${VELKAN_CMAKE_DIR}
    COMPONENT dev
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
    COMPONENT dev
)

# pkg-config finds the prefix from the file's own place, so any install prefix works.
set(VELKAN_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VELKAN_PKGCONFIG_TO_PREFIX /prefix/${VELKAN_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" VELKAN_PKGCONFIG_TO_PREFIX "${VELKAN_PKGCONFIG_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/velkanfilesearch.pc.in ${PROJECT_BINARY_DIR}/velkanfilesearch.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velkanfilesearch.pc DESTINATION ${VELKAN_PKGCONFIG_DIR} COMPONENT dev)

# A manual page and a bash completion for each program; the pages compressed, as man reads them
# and Debian wants them.
foreach(program IN LISTS VELKAN_INSTALLED_PROGRAMS)
  set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/man/${program}.1 > ${page}
      DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${program}.1
  )
  list(APPEND VELKAN_MAN_PAGES ${page})
  velkan_program_component(${program} component)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/completions/${program}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT ${component})
endforeach()
add_custom_target(velkan_man_pages ALL DEPENDS ${VELKAN_MAN_PAGES})

# The web bridge as a user service, started by its socket and left disabled until a user enables
# it, and the machine's allow-list, empty but for the comment that says its format.
configure_file(${PROJECT_SOURCE_DIR}/web/systemd/velkanfilesearch-web.service.in
    ${PROJECT_BINARY_DIR}/systemd/velkanfilesearch-web.service @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/web/systemd/velkanfilesearch-web.socket
              ${PROJECT_BINARY_DIR}/systemd/velkanfilesearch-web.service
        DESTINATION lib/systemd/user COMPONENT web)
install(FILES ${PROJECT_SOURCE_DIR}/web/web-origins
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/velkanfilesearch COMPONENT web)

install(FILES ${PROJECT_SOURCE_DIR}/docs/embedding.md DESTINATION ${VELKAN_DOC_DIR} COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/embed DESTINATION ${VELKAN_DOC_DIR}/examples COMPONENT dev)
