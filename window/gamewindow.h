#pragma once

#include "controls/controls.h"
#include "rules/gameform.h"
#include "rules/pointers.h"
#include "window/picturefolder.h"

#include <QFont>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <array>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <utility>

class PictureBoxWidget;
class WindowPlacement;

// The one window of the game. It builds the scene from the pictures compiled
// into the program, runs the start-up, draws the background, the slots and
// the labels on its own surface with the blocks and the pad above them, and
// turns the mouse on the blocks and the pad into the game's handlers.
class GameWindow : public QWidget, private ControlObserver {
    Q_OBJECT

public:
    explicit GameWindow(PictureFolder pictureFolder, QWidget* parent = nullptr);
    ~GameWindow() override;

    const GameForm& scene() const { return *m_scene; }
    PictureBoxWidget* pieceWidget(int index) const { return m_pieces[index]; }
    PictureBoxWidget* padWidget() const { return m_pad; }
    // The message that reports a failure to the player, while it is up.
    QMessageBox* failureMessage() const { return m_failure; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void controlChanged(const Control& control, Change change) override;
    void takeBackground();
    void readIcons();
    PictureBoxWidget* widgetOf(const Control& control) const;
    // Runs one handler; a failure is reported and the game goes on.
    template <typename Handler>
    void handle(Handler&& handler);
    void reportFailure(const std::string& what);
    void reportMissingFolder(const PictureFolder& folder);

    std::future<QImage> m_backgroundLoading;
    std::unique_ptr<GameForm> m_scene;
    QImage m_background;
    bool m_iconsRead = false;                         // the window icon and the pad pointer, after the first paint
    std::optional<std::array<QFont, 2>> m_labelFonts; // Label1's and lblPicFile's, from the first paint of either
    std::array<PictureBoxWidget*, PIECE_COUNT> m_pieces{};
    PictureBoxWidget* m_pad = nullptr;
    PadDrag m_drag;
    PieceClicks m_clicks;
    WindowPlacement* m_placement = nullptr;
    QPointer<QMessageBox> m_failure;
};
