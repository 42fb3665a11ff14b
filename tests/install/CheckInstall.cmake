# Installs the build into a fresh prefix and checks the tree an installed Vimbrel needs.
# Run as: cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()
foreach(path bin/vimbrel share/vimbrel/help.chm share/vimbrel/ruffle/ruffle.js)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
file(GLOB wasm ${PREFIX}/share/vimbrel/ruffle/*.wasm)
if(NOT wasm)
  message(FATAL_ERROR "the player runtime was installed without its .wasm files")
endif()
message(STATUS "1 passed, 0 failed")
