# Where the installed parts go, below the install prefix.

# The module in a private folder: hosts reach it through the registry, never the linker.
set(VELKAN_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/velkanfilesearch)
set(VELKAN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VelkanFileSearch)
# Each package's documents go in a folder named after it; the guide is the development files'.
set(VELKAN_DOC_ROOT ${CMAKE_INSTALL_DATADIR}/doc)
set(VELKAN_DOC_DIR ${VELKAN_DOC_ROOT}/libvelkanfilesearch-dev)

# Installed into any prefix, our programs and plugin find our libraries from where they are.
# A distribution package turns this off: its libraries are where the loader looks anyway.
function(velkan_install_rpath target from_dir)
  if(VELKAN_INSTALL_RPATH)
    file(RELATIVE_PATH relative /prefix/${from_dir} /prefix/${CMAKE_INSTALL_LIBDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${relative}")
  endif()
endfunction()
