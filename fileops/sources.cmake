target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dirslogic.cpp ${CMAKE_CURRENT_LIST_DIR}/dirslogic.h
  ${CMAKE_CURRENT_LIST_DIR}/fsname.cpp ${CMAKE_CURRENT_LIST_DIR}/fsname.h
  ${CMAKE_CURRENT_LIST_DIR}/progress.h
  ${CMAKE_CURRENT_LIST_DIR}/safefile.cpp ${CMAKE_CURRENT_LIST_DIR}/safefile.h
  ${CMAKE_CURRENT_LIST_DIR}/renaming.cpp ${CMAKE_CURRENT_LIST_DIR}/renaming.h
  ${CMAKE_CURRENT_LIST_DIR}/workcopy.cpp ${CMAKE_CURRENT_LIST_DIR}/workcopy.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/filetools.cpp)
