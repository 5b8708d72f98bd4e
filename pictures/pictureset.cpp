#include "pictures/pictureset.h"

#include "pictures/backgroundpicture.h"
#include "pictures/icons.h"
#include "pictures/pngfile.h"
#include "pictures/strokes.h"

#include "design/shapes.h"

#include <fstream>
#include <stdexcept>

std::vector<PictureFile> makePictureSet()
{
    std::vector<PictureFile> files;
    // The rules read these at run time: a target (yellow) and a block (dark blue) picture per tag.
    for (const Shape& shape : SHAPES) {
        files.push_back({shape.targetFile, encodeStrokeGif(shape.tag, StrokeKind::Target)});
        files.push_back({shape.blockFile, encodeStrokeGif(shape.tag, StrokeKind::Block)});
    }

    // The window's own pictures. The blocks and letter a's slots are twins of
    // picture files above, so a block turned four times looks as it began.
    files.push_back({"design/block_c.gif", encodeStrokeGif("c", StrokeKind::Block)});
    files.push_back({"design/block_vert.gif", encodeStrokeGif("vert", StrokeKind::Block)});
    files.push_back({"design/target_c.gif", encodeStrokeGif("c", StrokeKind::Target)});
    files.push_back({"design/target_c_back.gif", encodeStrokeGif("c_back", StrokeKind::Target)});
    files.push_back({"design/target_vert.gif", encodeStrokeGif("vert", StrokeKind::Target)});
    for (const Shape& shape : SHAPES)
        files.push_back(
            {"design/preview_" + std::string(shape.tag) + ".gif", encodeStrokeGif(shape.tag, StrokeKind::Preview)});
    files.push_back({"design/background.bmp", encodeBackgroundBmp()});
    files.push_back({"design/zentrik.ico", encodeWindowIcon()});
    files.push_back({"design/pad.ico", encodePadPointer()});

    // The window icon again as the desktop's application icon, and at 192
    // and 512 pixels as the installed page's. Whole-factor enlargements keep
    // every bear pixel a crisp square at each size.
    const IconImage bear = windowIconImage();
    for (int scale : {1, 2, 4, 6, 8, 16}) {
        const std::string size = std::to_string(bear.size * scale);
        files.push_back({"icons/zentrik-" + size + ".png", encodeIconPng(bear, scale)});
    }
    // The pad pointer for the browser, whose cursors are pictures of their own.
    files.push_back({"icons/pad-pointer.png", encodeIconPng(padPointerImage(), 1)});
    // The page's background: the tile alone, which the browser repeats.
    files.push_back({"page/background.png", encodeBackgroundTilePng()});
    return files;
}

void writePictureSet(const std::filesystem::path& folder)
{
    for (const PictureFile& file : makePictureSet()) {
        const auto path = folder / file.name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + path.string());
    }
}
