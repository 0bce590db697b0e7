target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/about.h
  ${CMAKE_CURRENT_LIST_DIR}/page.cpp ${CMAKE_CURRENT_LIST_DIR}/page.h
  ${CMAKE_CURRENT_LIST_DIR}/split.cpp ${CMAKE_CURRENT_LIST_DIR}/split.h)
target_sources(kamerio_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/engine.cpp ${CMAKE_CURRENT_LIST_DIR}/engine.h
  ${CMAKE_CURRENT_LIST_DIR}/modern.cpp ${CMAKE_CURRENT_LIST_DIR}/modern.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/generation.cpp)
