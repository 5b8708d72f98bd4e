# Every place that names the game's version or its release date agrees with
# the project's: the Debian changelog's first entry, the AppStream metadata's
# newest release, the manual page's header; and the page the build put
# together (its index.html's generator and its manifest's version) names the
# build's, which is the project's or a later one's (packaging/buildversion.cmake).
#
#   cmake -DVERSION=1.2.3 -DBUILD_VERSION=1.2.3+git.4.abc -DSOURCE=dir -DSITE=dir -P version_test.cmake
cmake_minimum_required(VERSION 3.25)

set(failures "")
function(expect what found wanted)
    if(NOT found STREQUAL wanted)
        set(failures "${failures}${what} says '${found}', not '${wanted}'\n" PARENT_SCOPE)
    endif()
endfunction()

file(STRINGS ${SOURCE}/packaging/changelog changelog)
list(GET changelog 0 first)
string(REGEX MATCH "^zentrik \\(([^)]*)\\)" _ "${first}")
expect("packaging/changelog" "${CMAKE_MATCH_1}" ${VERSION})
# The first entry's date, "Mon, 07 Dec 2026 10:30:23 +0000", as 2026-12-07.
list(FILTER changelog INCLUDE REGEX "^ -- ")
list(GET changelog 0 trailer)
string(REGEX MATCH ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+) " _ "${trailer}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
if(month LESS 10)
    set(month 0${month})
endif()
set(date "${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}")

file(READ ${SOURCE}/packaging/io.github.zentrik.Zentrik.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\" date=\"([^\"]*)\"" _ "${metainfo}")
expect("the metainfo's newest release" "${CMAKE_MATCH_1}" ${VERSION})
expect("the metainfo's newest release date" "${CMAKE_MATCH_2}" "${date}")

file(STRINGS ${SOURCE}/packaging/zentrik.6 header REGEX "^\\.TH ")
string(REGEX MATCH "^\\.TH ZENTRIK 6 ([^ ]*) \"zentrik ([^\"]*)\"" _ "${header}")
expect("the manual page's version" "${CMAKE_MATCH_2}" ${VERSION})
expect("the manual page's date" "${CMAKE_MATCH_1}" "${date}")

string(REGEX MATCH "^([^+]*)(\\+git\\.[0-9]+\\.[0-9a-f]+|\\+unknown)?$" _ "${BUILD_VERSION}")
expect("the build's version ${BUILD_VERSION}: its release" "${CMAKE_MATCH_1}" ${VERSION})
file(READ ${SITE}/index.html page)
string(REGEX MATCH "<meta name=\"generator\" content=\"zentrik ([^\"]*)\">" _ "${page}")
expect("${SITE}/index.html" "${CMAKE_MATCH_1}" ${BUILD_VERSION})
file(READ ${SITE}/manifest.webmanifest manifest)
string(REGEX MATCH "\"version\": \"([^\"]*)\"" _ "${manifest}")
expect("${SITE}/manifest.webmanifest" "${CMAKE_MATCH_1}" ${BUILD_VERSION})

if(failures)
    message(FATAL_ERROR "The version ${VERSION} of CMakeLists.txt's project() (released ${date}, as the changelog says):\n${failures}")
endif()
message(STATUS "Every place names version ${VERSION}, released ${date}")
