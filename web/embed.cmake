# Writes OUTPUT, a C++ source that holds each of FILES (a list) as bytes under
# its file name, for the design-time pictures the page carries inside it.
#
#   cmake -DOUTPUT=file.cpp -DFILES="a.gif;b.gif" -P embed.cmake
set(arrays "")
set(rows "")
set(number 0)
foreach(file IN LISTS FILES)
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
    get_filename_component(name ${file} NAME)
    string(APPEND arrays "const uint8_t file${number}[] = {${bytes}};\n")
    string(APPEND rows "    {\"${name}\", file${number}},\n")
    math(EXPR number "${number} + 1")
endforeach()
file(WRITE ${OUTPUT} "// Made by web/embed.cmake from the generator's pictures.\n"
    "#include \"web/designpictures.h\"\n\nnamespace {\n\n${arrays}\n} // namespace\n\n"
    "const std::map<std::string, std::span<const uint8_t>> EMBEDDED_PICTURES{\n${rows}};\n")
