target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/browselogic.cpp ${CMAKE_CURRENT_LIST_DIR}/browselogic.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rclk.cpp ${CMAKE_CURRENT_LIST_DIR}/rclk.h)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/browse.cpp ${CMAKE_CURRENT_LIST_DIR}/browse.h
  ${CMAKE_CURRENT_LIST_DIR}/help1.cpp ${CMAKE_CURRENT_LIST_DIR}/help1.h
  ${CMAKE_CURRENT_LIST_DIR}/frmabt.cpp ${CMAKE_CURRENT_LIST_DIR}/frmabt.h
  ${CMAKE_CURRENT_LIST_DIR}/helpmenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/appicon.cpp ${CMAKE_CURRENT_LIST_DIR}/appicon.h
  ${CMAKE_CURRENT_LIST_DIR}/../resources/kamerio.qrc)
