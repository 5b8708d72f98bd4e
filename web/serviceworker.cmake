# Writes SITE/sw.js from TEMPLATE: the service worker that keeps the page's
# FILES (a list of paths relative to SITE) and those NAMED lists, one a line,
# on the device, under a name made from their content, so that every build
# that changes a file is a new set; and the name of the program's JavaScript
# shape, which SHAPE holds, which it keeps on a device that plays it.
#
#   cmake -DSITE=dir -DTEMPLATE=sw.js.in -DFILES="index.html;..." -DNAMED=names.txt -DSHAPE=shape.txt -P serviceworker.cmake
file(STRINGS ${NAMED} named)
file(STRINGS ${SHAPE} ZENTRIK_SHAPE)
list(APPEND FILES ${named})
set(hashes "")
# The page is kept as the folder's own address, which is how it is opened.
set(ZENTRIK_FILES "'./'")
foreach(file IN LISTS FILES)
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND hashes "${hash} ${file}\n")
    if(NOT file STREQUAL "index.html")
        string(APPEND ZENTRIK_FILES ", '${file}'")
    endif()
endforeach()
string(SHA256 ZENTRIK_VERSION "${hashes}")
string(SUBSTRING ${ZENTRIK_VERSION} 0 16 ZENTRIK_VERSION)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
# Newer than what it was made from, even where its text is the same.
file(TOUCH ${SITE}/sw.js)
