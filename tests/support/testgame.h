#pragma once

#include "rules/gameform.h"

#include <filesystem>
#include <string_view>

// The build's picture folder, written by the pictures generator.
inline const std::filesystem::path PICTURE_DIR = ZENTRIK_PICTURE_DIR;

// A started game without a window: the scene with stand-in design pictures
// (each named "design:<name>"), the picture folder and the start-up done.
// Its helpers play the way a player does, through the handlers only.
class TestGame {
public:
    explicit TestGame(std::filesystem::path pictureFolder = PICTURE_DIR);

    std::filesystem::path folder; // where the picture files are read from
    GameForm form;
    GameState& s;

    void click(int piece);
    void select(int piece);
    void turnTo(int piece, std::string_view tag);
    // Press on the pad, move so the block lands on (left, top), release.
    void dragTo(int piece, float left, float top);
    // Brings a free block of the right family, turned right, onto the slot.
    void fill(int slot);
    void playLetter();
};

// A folder holding copies of the sixteen picture files, less those named.
std::filesystem::path pictureFolderWithout(std::initializer_list<std::string_view> missing);
