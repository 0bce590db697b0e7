target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/codepoints.h
  ${CMAKE_CURRENT_LIST_DIR}/cp932.cpp ${CMAKE_CURRENT_LIST_DIR}/cp932.h
  ${CMAKE_CURRENT_LIST_DIR}/diskfile.cpp ${CMAKE_CURRENT_LIST_DIR}/diskfile.h
  ${CMAKE_CURRENT_LIST_DIR}/excerpt.cpp ${CMAKE_CURRENT_LIST_DIR}/excerpt.h
  ${CMAKE_CURRENT_LIST_DIR}/spaces.cpp ${CMAKE_CURRENT_LIST_DIR}/spaces.h
  ${CMAKE_CURRENT_LIST_DIR}/textfile.cpp ${CMAKE_CURRENT_LIST_DIR}/textfile.h
  ${CMAKE_CURRENT_LIST_DIR}/viewset.h)
