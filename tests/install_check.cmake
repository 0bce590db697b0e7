cmake_minimum_required(VERSION 3.25)
# Installs the built program into a fresh prefix and checks that a desktop
# finds its menu entry, its icon and the command the entry runs, and that
# the manual page and the metainfo are there.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(entry "${PREFIX}/share/applications/kamerio.desktop")
set(metainfo "${PREFIX}/share/metainfo/jp.example.kamerio.metainfo.xml")
foreach(f bin/kamerio share/applications/kamerio.desktop share/icons/hicolor/scalable/apps/kamerio.svg
          share/icons/hicolor/48x48/apps/kamerio.png share/man/man1/kamerio.1.gz
          share/metainfo/jp.example.kamerio.metainfo.xml)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${entry}" lines)
foreach(wanted "Exec=kamerio" "Icon=kamerio" "Type=Application")
  if(NOT wanted IN_LIST lines)
    message(FATAL_ERROR "${entry} lacks ${wanted}")
  endif()
endforeach()
# The release the software centre shows is the one the program prints.
file(READ "${metainfo}" xml)
if(NOT xml MATCHES "<release version=\"${VERSION}\"")
  message(FATAL_ERROR "${metainfo} does not name release ${VERSION}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
