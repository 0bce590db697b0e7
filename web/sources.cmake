target_sources(kamerio_web PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/edges.h
  ${CMAKE_CURRENT_LIST_DIR}/webcopy.cpp ${CMAKE_CURRENT_LIST_DIR}/webcopy.h
  ${CMAKE_CURRENT_LIST_DIR}/shrink.cpp ${CMAKE_CURRENT_LIST_DIR}/shrink.h
  ${CMAKE_CURRENT_LIST_DIR}/ledger.cpp ${CMAKE_CURRENT_LIST_DIR}/ledger.h
  ${CMAKE_CURRENT_LIST_DIR}/runlock.cpp ${CMAKE_CURRENT_LIST_DIR}/runlock.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/websettings.cpp)
