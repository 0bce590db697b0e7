cmake_minimum_required(VERSION 3.25)
# The program answers --help, --version and a mistake with no display at
# all: no X server, no Wayland session, no platform chosen for Qt.
function(expect status out err)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                          ${PROGRAM} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE o ERROR_VARIABLE e TIMEOUT 30)
  if(NOT rc STREQUAL status OR NOT o MATCHES "${out}" OR NOT e MATCHES "${err}")
    message(SEND_ERROR "kamerio ${ARGN}: exit ${rc}\nstandard output:\n${o}\nstandard error:\n${e}")
  endif()
endfunction()

set(hint "\n使い方は「kamerio --help」で表示できます。\n$")
expect(0 "^Kamerio 1\\.34\n$" "^$" --version)
expect(0 "^使い方:\n  kamerio .*--help.*--version" "^$" --help)
expect(2 "^$" "^kamerio: 「--bogus」は使えない引数です。${hint}" --bogus)
expect(2 "^$" "^kamerio: 「x」は使えない引数です。${hint}" --version x)
expect(2 "^$" "^kamerio make: プロジェクトファイルを指定してください。${hint}" make)
expect(2 "^$" "^kamerio make: 「${CMAKE_CURRENT_LIST_FILE}」は kamerio のファイルではありません。\n$" make ${CMAKE_CURRENT_LIST_FILE})
