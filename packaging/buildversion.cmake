# The version a build calls itself, in ZENTRIK_BUILD_VERSION: the one that
# zentrik --version, the page's generator tag and its manifest, the package
# and make dist's file names give.
#
# A release's build says the project's version alone (1.0.0). Any other build
# says the release it comes after and the commit it was built from:
# 1.0.0+git.<count>.<commit>, <count> the number of commits in the commit's
# history and <commit> the first 12 hexadecimal digits of its name. Debian's
# ordering sorts a "+" after the end of a version and compares the count as a
# number, so 1.0.0 < 1.0.0+git.240.<commit> < 1.0.0+git.241.<commit> < 1.0.1:
# a snapshot is newer than the release it follows, older than the next one,
# and later snapshots of one line of history are newer. A count and digits
# rather than a date or Git's own abbreviation: every full clone of the
# commit, checked out or not, counts the same history and reads the same name.
#
# A commit is a release's when NEWS.md's first section is named for the
# version (not "Unreleased"), or a tag v<version> points at it. A source
# archive of make dist holds no history: it names its build's version in
# .tarball-version. Where neither Git nor that file tells, an unreleased
# build says <version>+unknown, for its commit is not known.
#
# Included by the top-level CMakeLists.txt, it reads PROJECT_VERSION and
# PROJECT_SOURCE_DIR, has CMake configure again when the checkout moves to
# another commit, and writes the version to ZENTRIK_BUILD_VERSION_FILE, which
# changes only with it, for the build steps that write it into a file to
# depend on. Run as a script it prints the version (tools/dist):
#
#   cmake -DVERSION=1.0.0 -P packaging/buildversion.cmake

function(zentrik_build_version variable version source)
    set(depends ${source}/NEWS.md)
    file(STRINGS ${source}/NEWS.md sections REGEX "^## ")
    list(GET sections 0 newest)
    string(REPLACE "." "\\." escaped ${version})
    find_program(GIT_EXECUTABLE git)
    if(EXISTS ${source}/.git AND GIT_EXECUTABLE)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${source} rev-parse HEAD --git-path HEAD --git-path logs/HEAD
            OUTPUT_VARIABLE answer OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    else()
        set(failed 1)
    endif()
    if(newest MATCHES "^## ${escaped}( |$)")
        set(built ${version})
    elseif(EXISTS ${source}/.tarball-version)
        file(STRINGS ${source}/.tarball-version built LIMIT_COUNT 1)
        list(APPEND depends ${source}/.tarball-version)
    elseif(NOT failed)
        # The commit, then Git's files that change when the checkout moves,
        # named relative to the source folder.
        string(REPLACE "\n" ";" answer "${answer}")
        list(POP_FRONT answer commit)
        foreach(path IN LISTS answer)
            cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY ${source})
            if(EXISTS ${path})
                list(APPEND depends ${path})
            endif()
        endforeach()
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${source} tag --points-at HEAD
            OUTPUT_VARIABLE tags COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${source} rev-list --count HEAD
            OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(SUBSTRING ${commit} 0 12 commit)
        if(tags MATCHES "(^|\n)v${escaped}\n")
            set(built ${version})
        else()
            set(built ${version}+git.${count}.${commit})
        endif()
    else()
        set(built ${version}+unknown)
    endif()
    if(NOT CMAKE_SCRIPT_MODE_FILE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${depends})
    endif()
    set(${variable} ${built} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
    cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH source)
    zentrik_build_version(built ${VERSION} ${source})
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${built})
else()
    zentrik_build_version(ZENTRIK_BUILD_VERSION ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR})
    set(ZENTRIK_BUILD_VERSION_FILE ${PROJECT_BINARY_DIR}/build-version.txt)
    file(CONFIGURE OUTPUT ${ZENTRIK_BUILD_VERSION_FILE} CONTENT "${ZENTRIK_BUILD_VERSION}\n")
endif()
