# Checks that the portable zip holds the program and its documents in one folder:
#   cmake -DZIP=qnv-1.0.0-win64-portable.zip -P check-zip.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read ${ZIP}")
endif()
foreach(name qnv.exe README.md LICENSE.txt THIRD-PARTY-NOTICES.txt)
  string(REPLACE "." "\\." pattern "${name}")
  if(NOT listing MATCHES "(^|\n)[^/\n]+/${pattern}(\n|$)")
    message(FATAL_ERROR "${ZIP} lacks ${name}:\n${listing}")
  endif()
endforeach()
message(STATUS "${ZIP} holds qnv.exe, README.md, LICENSE.txt and THIRD-PARTY-NOTICES.txt")
