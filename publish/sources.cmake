target_sources(kamerio_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ledger.cpp ${CMAKE_CURRENT_LIST_DIR}/ledger.h
  ${CMAKE_CURRENT_LIST_DIR}/plan.cpp ${CMAKE_CURRENT_LIST_DIR}/plan.h
  ${CMAKE_CURRENT_LIST_DIR}/site.cpp ${CMAKE_CURRENT_LIST_DIR}/site.h
  ${CMAKE_CURRENT_LIST_DIR}/run.cpp ${CMAKE_CURRENT_LIST_DIR}/run.h)
target_sources(kamerio_publish PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/transport.h ${CMAKE_CURRENT_LIST_DIR}/transport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trust.h ${CMAKE_CURRENT_LIST_DIR}/trust.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common.h ${CMAKE_CURRENT_LIST_DIR}/common.cpp
  ${CMAKE_CURRENT_LIST_DIR}/certificate.h ${CMAKE_CURRENT_LIST_DIR}/certificate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sftp.h ${CMAKE_CURRENT_LIST_DIR}/sftp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/curl.h ${CMAKE_CURRENT_LIST_DIR}/curl.cpp)
# 公開する writes the pages, then sends them; the password comes from the
# desktop's keyring (QtKeychain, which loads libsecret at run time).
find_package(Qt6Keychain REQUIRED)
target_sources(kamerio_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/keyring.cpp ${CMAKE_CURRENT_LIST_DIR}/keyring.h
  ${CMAKE_CURRENT_LIST_DIR}/publishing.cpp ${CMAKE_CURRENT_LIST_DIR}/publishing.h)
target_link_libraries(kamerio_engine PUBLIC kamerio_publish qt6keychain)
target_sources(kamerio_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/koukai.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pubset.cpp ${CMAKE_CURRENT_LIST_DIR}/pubset.h
  ${CMAKE_CURRENT_LIST_DIR}/pubview.cpp ${CMAKE_CURRENT_LIST_DIR}/pubview.h)
