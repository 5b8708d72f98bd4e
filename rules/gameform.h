#pragma once

#include "controls/scene.h"
#include "rules/gamestate.h"

#include <functional>
#include <string>

// Reads the picture file `name` while the game is played: from a folder on
// the desktop, from the files fetched from the server on the page. Throws
// PictureLoadError where it cannot be read.
using PictureFiles = std::function<PicturePtr(const std::string& name)>;

// The window as the handlers see it: its 86 controls laid out from the block
// and slot tables, the game state record they share, and where the picture
// files are read from while playing.
class GameForm : public Scene {
public:
    explicit GameForm(const DesignPictures& pictures);

    GameState state;
    PictureFiles pictureFiles;
};
