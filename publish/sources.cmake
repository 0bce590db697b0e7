target_sources(kamerio_publish PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/transport.h ${CMAKE_CURRENT_LIST_DIR}/transport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trust.h ${CMAKE_CURRENT_LIST_DIR}/trust.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common.h ${CMAKE_CURRENT_LIST_DIR}/common.cpp
  ${CMAKE_CURRENT_LIST_DIR}/certificate.h ${CMAKE_CURRENT_LIST_DIR}/certificate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sftp.h ${CMAKE_CURRENT_LIST_DIR}/sftp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/curl.h ${CMAKE_CURRENT_LIST_DIR}/curl.cpp)
