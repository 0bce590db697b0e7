target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/album.h
  ${CMAKE_CURRENT_LIST_DIR}/photoentry.cpp ${CMAKE_CURRENT_LIST_DIR}/photoentry.h
  ${CMAKE_CURRENT_LIST_DIR}/recovery.cpp ${CMAKE_CURRENT_LIST_DIR}/recovery.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/adding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/captions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview.cpp ${CMAKE_CURRENT_LIST_DIR}/preview.h)
