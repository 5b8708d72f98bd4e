#pragma once

#include "controls/scene.h"
#include "rules/gamestate.h"

#include <filesystem>

// The window as the handlers see it: its 86 controls laid out from the block
// and slot tables, the game state record they share, and the folder the
// picture files are read from while playing.
class GameForm : public Scene {
public:
    explicit GameForm(const DesignPictures& pictures);

    GameState state;
    std::filesystem::path pictureFolder;
};
