target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cli.cpp ${CMAKE_CURRENT_LIST_DIR}/cli.h)
target_sources(kamerio_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/make.cpp ${CMAKE_CURRENT_LIST_DIR}/make.h)
target_sources(kamerio_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/publish.cpp ${CMAKE_CURRENT_LIST_DIR}/publish.h)
