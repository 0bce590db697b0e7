target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/projectfile.cpp ${CMAKE_CURRENT_LIST_DIR}/projectfile.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/projectio.cpp)
