# Writes OUTPUT, a script that declares each constant of HEADER
# (web/protocol.h) as a variable of the same name, for the page's scripts.
#
#   cmake -DHEADER=protocol.h -DOUTPUT=protocol.js -P protocol.cmake
file(READ ${HEADER} header)
string(REGEX MATCHALL "inline constexpr [a-z]+ [A-Z_]+(\\[\\])? = [^;]+" constants "${header}")
set(script "// Made by web/protocol.cmake from web/protocol.h.\n")
foreach(constant IN LISTS constants)
    string(REGEX REPLACE "^inline constexpr [a-z]+ ([A-Z_]+)(\\[\\])? = (.+)$" "var \\1 = \\3;\n" line "${constant}")
    string(APPEND script "${line}")
endforeach()
if(NOT constants)
    message(FATAL_ERROR "No constants in ${HEADER}")
endif()
file(WRITE ${OUTPUT} "${script}")
