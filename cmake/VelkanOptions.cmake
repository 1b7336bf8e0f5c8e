# One INTERFACE target carries the warnings and build options of every target in the tree.
add_library(velkan_options INTERFACE)
add_library(Velkan::options ALIAS velkan_options)

# Includes name their layer from the project's root: "search/searchengine.h".
target_include_directories(velkan_options INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)

target_compile_options(velkan_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                -Wno-sign-conversion
                                                # designated initialisers leave defaulted members out on purpose
                                                -Wno-missing-field-initializers)

if(VELKAN_SANITIZE)
  target_compile_options(velkan_options INTERFACE -fsanitize=address,undefined
                                                  -fno-sanitize-recover=undefined
                                                  -fno-omit-frame-pointer)
  target_link_options(velkan_options INTERFACE -fsanitize=address,undefined)
endif()

# Every symbol of a shared library resolved inside it, except where clang instruments it: clang
# leaves the sanitizer and coverage runtimes out of a shared library, for the program that loads
# it to bring.
function(velkan_no_undefined target)
  if(NOT (CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND (VELKAN_SANITIZE OR VELKAN_BUILD_FUZZ)))
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
