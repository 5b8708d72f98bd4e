# The page's first board (web/firstboard.cpp): built and drawn in the native
# build, from the generator's pictures, beside them, for the page's build to
# write into index.html and its style sheet.
set(picture_dir ${CMAKE_BINARY_DIR}/pictures)
include(${PROJECT_SOURCE_DIR}/pictures/files.cmake)
add_executable(zentrik-first-board ${CMAKE_CURRENT_LIST_DIR}/firstboard.cpp ${CMAKE_CURRENT_LIST_DIR}/boardlook.cpp)
target_include_directories(zentrik-first-board PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(zentrik-first-board PRIVATE zentrik_rules zentrik_pictures)
add_custom_command(
    OUTPUT ${first_board_files}
    COMMAND zentrik-first-board ${picture_dir} ${picture_dir}/page
    DEPENDS zentrik-first-board ${design_pictures}
    COMMENT "Drawing the page's first board"
    VERBATIM)
add_custom_target(first-board ALL DEPENDS ${first_board_files})
# The design pictures are another folder's command's outputs, which make knows
# only through that folder's target: without it, a parallel build could ask
# for them before they are drawn.
add_dependencies(first-board pictures)
