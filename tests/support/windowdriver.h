#pragma once

#include "window/gamewindow.h"

#include "design/colours.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <filesystem>

// Stroke and ground colours as the player sees them.
inline const QColor YELLOW = QColor::fromRgb(TARGET_YELLOW);
inline const QColor GREEN = QColor::fromRgb(PREVIEW_GREEN);
inline const QColor DARK_BLUE = QColor::fromRgb(BLOCK_BLUE);
inline const QColor RED = QColor::fromRgb(toRgb(COLOR_UNSELECTED));
inline const QColor SELECTED_ORANGE = QColor::fromRgb(toRgb(COLOR_SELECTED));

// Plays the real window the way a player does: QTest clicks on the block
// widgets, presses, moves and releases on the pad widget.
class WindowDriver {
public:
    explicit WindowDriver(PictureFolder pictureFolder = std::filesystem::path(ZENTRIK_PICTURE_DIR));
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    GameWindow window;
    const GameForm& form() const { return window.scene(); }

    void click(int piece);
    // Press on the pad, move in a few steps so the block travels by
    // `twips`, release.
    void drag(QPointF twips);
    // Selects a free block of the right family, turns it right and drags it
    // onto the slot.
    void fill(int slot);
    // Fills the current letter's empty slots until the letter changes.
    void playLetter();

    QImage grab();
    // A window pixel of slot `slot`'s stroke that no other slot draws over.
    QPoint strokePixel(int slot) const;
    // A pixel of block `piece`'s ground, off its stroke, in window coordinates.
    QPoint groundPixel(int piece) const;
    QPoint blockStrokePixel(int piece) const;
};
