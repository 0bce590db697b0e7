target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rclk.cpp ${CMAKE_CURRENT_LIST_DIR}/rclk.h)
