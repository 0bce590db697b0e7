target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main1.cpp ${CMAKE_CURRENT_LIST_DIR}/main1.h
  ${CMAKE_CURRENT_LIST_DIR}/ui_main1.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_main1.h
  ${CMAKE_CURRENT_LIST_DIR}/browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dirs.cpp ${CMAKE_CURRENT_LIST_DIR}/dirs.h
  ${CMAKE_CURRENT_LIST_DIR}/longwork.cpp ${CMAKE_CURRENT_LIST_DIR}/longwork.h
  ${CMAKE_CURRENT_LIST_DIR}/messagebox.cpp ${CMAKE_CURRENT_LIST_DIR}/messagebox.h
  ${CMAKE_CURRENT_LIST_DIR}/opener.cpp ${CMAKE_CURRENT_LIST_DIR}/opener.h
  ${CMAKE_CURRENT_LIST_DIR}/panes.cpp ${CMAKE_CURRENT_LIST_DIR}/panes.h
  ${CMAKE_CURRENT_LIST_DIR}/translations.cpp ${CMAKE_CURRENT_LIST_DIR}/translations.h)
