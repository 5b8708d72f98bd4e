#include "rules/gameform.h"

#include "rules/board.h"

GameForm::GameForm(const DesignPictures& pictures)
    : Scene(PIECES, SLOTS, pictures)
{
}
