# Installs the build into a fresh prefix, or with -DDEB=ON builds the Debian package and unpacks
# it there, and checks the tree an installed Vimbrel needs.
# Run as: cmake -DBUILD_DIR=<build> -DPREFIX=<folder> -DVERSION=<x.y.z> [-DDEB=ON] -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
if(DEB)
  execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${PREFIX}/out
                  RESULT_VARIABLE result OUTPUT_QUIET)
  file(GLOB deb ${PREFIX}/out/*.deb)
  if(NOT result EQUAL 0 OR NOT deb)
    message(FATAL_ERROR "cpack failed: ${result}")
  endif()
  execute_process(COMMAND dpkg -x ${deb} ${PREFIX}/root RESULT_VARIABLE result)
  execute_process(COMMAND dpkg-deb -f ${deb} Depends OUTPUT_VARIABLE depends)
  foreach(needed libchm1 fonts-crosextra-carlito libqt6webenginewidgets6 libcurl4 liblz4-1 libbrotli1)
    if(NOT depends MATCHES "${needed}")
      message(FATAL_ERROR "the package does not depend on ${needed}: ${depends}")
    endif()
  endforeach()
  set(PREFIX ${PREFIX}/root/usr)
else()
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                  RESULT_VARIABLE result OUTPUT_QUIET)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()
set(id org.vimbrel.Vimbrel)
foreach(path bin/vimbrel libexec/vimbrel/vimbrel-gui share/vimbrel/help.chm share/vimbrel/ruffle/ruffle.js
             share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml
             share/icons/hicolor/scalable/apps/${id}.svg share/icons/hicolor/16x16/apps/${id}.png
             share/icons/hicolor/48x48/apps/${id}.png share/icons/hicolor/256x256/apps/${id}.png
             share/man/man1/vimbrel.1 share/bash-completion/completions/vimbrel)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
# The installed program starts from its own tree.
execute_process(COMMAND ${PREFIX}/bin/vimbrel --version OUTPUT_VARIABLE version RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT version MATCHES "vimbrel ${VERSION}")
  message(FATAL_ERROR "the installed program does not start: ${result} ${version}")
endif()
file(GLOB wasm ${PREFIX}/share/vimbrel/ruffle/*.wasm)
if(NOT wasm)
  message(FATAL_ERROR "the player runtime was installed without its .wasm files")
endif()
# The menu entry and the metadata pass the desktop's own validators.
execute_process(COMMAND desktop-file-validate ${PREFIX}/share/applications/${id}.desktop
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "desktop-file-validate failed")
endif()
execute_process(COMMAND appstreamcli validate --no-net ${PREFIX}/share/metainfo/${id}.metainfo.xml
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate failed")
endif()
# The manual page renders without a warning; the completion is valid bash.
execute_process(COMMAND groff -man -ww -z ${PREFIX}/share/man/man1/vimbrel.1
                RESULT_VARIABLE result ERROR_VARIABLE warnings)
if(NOT result EQUAL 0 OR warnings)
  message(FATAL_ERROR "the manual page does not render cleanly: ${warnings}")
endif()
execute_process(COMMAND bash -n ${PREFIX}/share/bash-completion/completions/vimbrel
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the bash completion is not valid bash")
endif()
file(READ ${PREFIX}/share/metainfo/${id}.metainfo.xml metainfo)
if(metainfo MATCHES "vimbrel.org")
  message(FATAL_ERROR "the metadata names a web address the project does not hold")
endif()
if(NOT metainfo MATCHES "release version=\"${VERSION}\"")
  message(FATAL_ERROR "the metadata's release is not the project's version ${VERSION}")
endif()
message(STATUS "1 passed, 0 failed")
