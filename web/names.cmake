# Names the page's program and style sheet by their content, so that a
# browser may keep them for a year and never mix two builds: PROGRAM/zentrik.wasm
# becomes SITE/zentrik.<hash>.wasm, PROGRAM/zentrik.js (told that name) becomes
# SITE/zentrik.<hash>.js, the STYLES one after the other become
# SITE/zentrik.<hash>.css, and PAGE, given the three names and the markup of
# BOARD in place of its <!-- first board --> line, the window's caption from
# WINDOW (written by the first board's tool) in place of @TITLE@ and the
# DESCRIPTION and VERSION given in place of @DESCRIPTION@ and @VERSION@,
# becomes SITE/index.html.
# The three names go to NAMES, one a line, for the service worker's list;
# JS_SHAPE, the program's JavaScript shape where the build has one, becomes
# SITE/zentrik.<hash>.js too, its name in the program's script in place of
# "zentrik.asm.js" and in SHAPE_NAME; files of earlier builds are removed
# from SITE.
#
#   cmake -DPROGRAM=dir -DJS_SHAPE=zentrik.js -DSHAPE_NAME=file -DSTYLES="a.css;b.css" -DPAGE=index.html -DBOARD=board.html -DSITE=dir -DNAMES=file
#         -DWINDOW=window.cmake -DDESCRIPTION=text -DVERSION=1.2.3 -P names.cmake

# The hash's first 16 hexadecimal digits, as the service worker's set is named.
function(content_name variable stem extension content_file)
    file(SHA256 ${content_file} hash)
    string(SUBSTRING ${hash} 0 16 hash)
    set(${variable} ${stem}.${hash}.${extension} PARENT_SCOPE)
endfunction()

# Replaces `from` by `to` in `text`, where it must stand exactly once.
function(replace_once variable from to what)
    string(FIND "${${variable}}" "${from}" first)
    string(FIND "${${variable}}" "${from}" last REVERSE)
    if(first EQUAL -1 OR NOT first EQUAL last)
        message(FATAL_ERROR "${what} names ${from} other than once")
    endif()
    string(REPLACE "${from}" "${to}" text "${${variable}}")
    set(${variable} "${text}" PARENT_SCOPE)
endfunction()

content_name(wasm zentrik wasm ${PROGRAM}/zentrik.wasm)
file(READ ${PROGRAM}/zentrik.js script)
replace_once(script "\"zentrik.wasm\"" "\"${wasm}\"" "The compiled script")
set(shape zentrik.asm.js)
if(JS_SHAPE)
    content_name(shape zentrik js ${JS_SHAPE})
    replace_once(script "\"zentrik.asm.js\"" "\"${shape}\"" "The compiled script")
endif()
set(named_script ${PROGRAM}/zentrik.named.js)
file(WRITE ${named_script} "${script}")
content_name(js zentrik js ${named_script})
set(style "")
foreach(sheet IN LISTS STYLES)
    file(READ ${sheet} text)
    string(APPEND style "${text}")
endforeach()
set(joined_style ${PROGRAM}/zentrik.joined.css)
file(WRITE ${joined_style} "${style}")
content_name(css zentrik css ${joined_style})

file(GLOB earlier ${SITE}/zentrik.js ${SITE}/zentrik.wasm ${SITE}/zentrik.css ${SITE}/zentrik.*.js ${SITE}/zentrik.*.wasm ${SITE}/zentrik.*.css
    ${SITE}/zentrik.*.js.* ${SITE}/zentrik.*.wasm.* ${SITE}/zentrik.*.css.*)
list(FILTER earlier EXCLUDE REGEX "/(${js}|${wasm}|${css}|${shape})(\\.gz|\\.br)?$")
if(earlier)
    file(REMOVE ${earlier})
endif()
file(COPY_FILE ${PROGRAM}/zentrik.wasm ${SITE}/${wasm} ONLY_IF_DIFFERENT)
file(COPY_FILE ${named_script} ${SITE}/${js} ONLY_IF_DIFFERENT)
file(COPY_FILE ${joined_style} ${SITE}/${css} ONLY_IF_DIFFERENT)
if(JS_SHAPE)
    file(COPY_FILE ${JS_SHAPE} ${SITE}/${shape} ONLY_IF_DIFFERENT)
endif()

file(READ ${PAGE} page)
foreach(name js wasm css)
    replace_once(page "\"zentrik.${name}\"" "\"${${name}}\"" ${PAGE})
endforeach()
file(READ ${BOARD} board)
replace_once(page "<!-- first board -->\n" "${board}" ${PAGE})
include(${WINDOW})
set(TITLE "${ZENTRIK_TITLE}")
foreach(field TITLE DESCRIPTION VERSION)
    string(REPLACE "&" "&amp;" text "${${field}}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    replace_once(page "@${field}@" "${text}" ${PAGE})
endforeach()
file(WRITE ${SITE}/index.html "${page}")
file(WRITE ${NAMES} "${js}\n${wasm}\n${css}\n")
file(WRITE ${SHAPE_NAME} "${shape}\n")
