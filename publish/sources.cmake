target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/transport.h
  ${CMAKE_CURRENT_LIST_DIR}/ledger.cpp ${CMAKE_CURRENT_LIST_DIR}/ledger.h
  ${CMAKE_CURRENT_LIST_DIR}/plan.cpp ${CMAKE_CURRENT_LIST_DIR}/plan.h
  ${CMAKE_CURRENT_LIST_DIR}/site.cpp ${CMAKE_CURRENT_LIST_DIR}/site.h
  ${CMAKE_CURRENT_LIST_DIR}/run.cpp ${CMAKE_CURRENT_LIST_DIR}/run.h)
target_sources(kamerio_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/keyring.cpp ${CMAKE_CURRENT_LIST_DIR}/keyring.h
  ${CMAKE_CURRENT_LIST_DIR}/publishing.cpp ${CMAKE_CURRENT_LIST_DIR}/publishing.h)
find_package(Qt6Keychain REQUIRED)
target_link_libraries(kamerio_engine PUBLIC qt6keychain)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/koukai.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pubset.cpp ${CMAKE_CURRENT_LIST_DIR}/pubset.h
  ${CMAKE_CURRENT_LIST_DIR}/pubview.cpp ${CMAKE_CURRENT_LIST_DIR}/pubview.h)
