target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/album.h
  ${CMAKE_CURRENT_LIST_DIR}/photocheck.cpp ${CMAKE_CURRENT_LIST_DIR}/photocheck.h
  ${CMAKE_CURRENT_LIST_DIR}/photoentry.cpp ${CMAKE_CURRENT_LIST_DIR}/photoentry.h
  ${CMAKE_CURRENT_LIST_DIR}/arranging.cpp ${CMAKE_CURRENT_LIST_DIR}/arranging.h
  ${CMAKE_CURRENT_LIST_DIR}/history.cpp ${CMAKE_CURRENT_LIST_DIR}/history.h
  ${CMAKE_CURRENT_LIST_DIR}/dropping.cpp ${CMAKE_CURRENT_LIST_DIR}/dropping.h
  ${CMAKE_CURRENT_LIST_DIR}/keptalbum.cpp ${CMAKE_CURRENT_LIST_DIR}/keptalbum.h
  ${CMAKE_CURRENT_LIST_DIR}/recovery.cpp ${CMAKE_CURRENT_LIST_DIR}/recovery.h)
# When a photo was taken is read from its EXIF block with libexiv2. GLOBAL,
# so that a project that adds ours as a subdirectory can link it too.
find_package(PkgConfig REQUIRED)
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET GLOBAL exiv2)
target_link_libraries(kamerio_core PRIVATE PkgConfig::EXIV2)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/adding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arrangelist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/captions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/safety.cpp
  ${CMAKE_CURRENT_LIST_DIR}/restorewin.cpp ${CMAKE_CURRENT_LIST_DIR}/restorewin.h
  ${CMAKE_CURRENT_LIST_DIR}/preview.cpp ${CMAKE_CURRENT_LIST_DIR}/preview.h
  ${CMAKE_CURRENT_LIST_DIR}/previewer.cpp ${CMAKE_CURRENT_LIST_DIR}/previewer.h)
