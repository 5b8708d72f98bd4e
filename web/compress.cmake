# Writes a gzip copy, and a brotli copy where BROTLI names the program, beside
# each text and WebAssembly file of SITE (file.gz, file.br), so that a server
# that sends such copies as they are (nginx's gzip_static, the .htaccess's
# rewrite) compresses nothing per request. Copies whose file is gone are removed.
#
#   cmake -DSITE=dir -DGZIP=/bin/gzip [-DBROTLI=/usr/bin/brotli] -P compress.cmake
file(GLOB_RECURSE files ${SITE}/*.html ${SITE}/*.js ${SITE}/*.css ${SITE}/*.wasm ${SITE}/*.webmanifest)
foreach(file IN LISTS files)
    if(NOT EXISTS ${file}.gz OR ${file} IS_NEWER_THAN ${file}.gz)
        execute_process(COMMAND ${GZIP} -9 -n -c ${file} OUTPUT_FILE ${file}.gz COMMAND_ERROR_IS_FATAL ANY)
    endif()
    if(BROTLI AND (NOT EXISTS ${file}.br OR ${file} IS_NEWER_THAN ${file}.br))
        execute_process(COMMAND ${BROTLI} -f -q 11 -o ${file}.br ${file} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
file(GLOB_RECURSE copies ${SITE}/*.gz ${SITE}/*.br)
foreach(copy IN LISTS copies)
    string(REGEX REPLACE "\\.(gz|br)$" "" file ${copy})
    if(NOT EXISTS ${file} OR (copy MATCHES "\\.br$" AND NOT BROTLI))
        file(REMOVE ${copy})
    endif()
endforeach()
