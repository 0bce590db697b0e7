target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fsname.cpp ${CMAKE_CURRENT_LIST_DIR}/fsname.h)
