# The names of every file the generator draws into ${picture_dir}, for the
# generator's build and the page's, so that each list is written once. Sets
# picture_files (the sixteen the rules read while playing), design_pictures
# (the window's own), icon_sizes (the desktop's), web_icon_sizes (the
# installed page's), icon_files, page_pictures and first_board_files (drawn by
# firstboard/firstboard.cpp: the page's first board, its picture first).

# The picture files the rules load at run time: a target and a block picture per shape tag.
# Their names come from the shape table's rows, {"tag", Family::..., "next", "target", "block"}.
file(STRINGS ${PROJECT_SOURCE_DIR}/design/shapes.h shape_rows REGEX "^ *{\"[a-z_]+\", *Family::")
set(picture_files)
foreach(row IN LISTS shape_rows)
    string(REGEX MATCHALL "\"[a-z_0-9.]+\"" fields "${row}")
    list(GET fields 2 target)
    list(GET fields 3 block)
    string(REPLACE "\"" "" target ${target})
    string(REPLACE "\"" "" block ${block})
    list(APPEND picture_files ${picture_dir}/${target} ${picture_dir}/${block})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/design/shapes.h)
list(LENGTH picture_files picture_count)
if(NOT picture_count EQUAL 16)
    message(FATAL_ERROR "design/shapes.h: expected 8 shapes with two picture files each")
endif()

# The window's design-time pictures.
set(design_pictures
    ${picture_dir}/design/block_c.gif
    ${picture_dir}/design/block_vert.gif
    ${picture_dir}/design/target_c.gif
    ${picture_dir}/design/target_c_back.gif
    ${picture_dir}/design/target_vert.gif
    ${picture_dir}/design/preview_c.gif
    ${picture_dir}/design/preview_c_down.gif
    ${picture_dir}/design/preview_c_back.gif
    ${picture_dir}/design/preview_c_up.gif
    ${picture_dir}/design/preview_vert.gif
    ${picture_dir}/design/preview_upright.gif
    ${picture_dir}/design/preview_horz.gif
    ${picture_dir}/design/preview_upleft.gif
    ${picture_dir}/design/background.bmp
    ${picture_dir}/design/zentrik.ico
    ${picture_dir}/design/pad.ico
)

# The application icon for the desktop and for the installed page: the window
# icon at whole-factor sizes.
set(icon_sizes 32 64 128 256)
set(web_icon_sizes 192 512)
set(icon_files)
foreach(size IN LISTS icon_sizes web_icon_sizes)
    list(APPEND icon_files ${picture_dir}/icons/zentrik-${size}.png)
endforeach()
# The pad pointer as a picture the browser can show as a cursor.
list(APPEND icon_files ${picture_dir}/icons/pad-pointer.png)
# The page's background tile, which the browser repeats across the scene.
set(page_pictures ${picture_dir}/page/background.png)
# The page's first board, its picture, styles and markup, and the window's
# caption and colour for the page's title and manifest.
set(first_board_files ${picture_dir}/page/first-board.png ${picture_dir}/page/first-board.css
    ${picture_dir}/page/first-board.html ${picture_dir}/page/window.cmake)
