cmake_minimum_required(VERSION 3.25)
# Installs the built program into a fresh prefix and checks that a desktop
# finds its menu entry, its icon and the command the entry runs.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(entry "${PREFIX}/share/applications/kamerio.desktop")
foreach(f bin/kamerio share/applications/kamerio.desktop share/icons/hicolor/scalable/apps/kamerio.svg
          share/icons/hicolor/48x48/apps/kamerio.png)
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
file(REMOVE_RECURSE "${PREFIX}")
