#pragma once

#include "controls/controls.h"

#include <QMargins>
#include <QObject>
#include <QPoint>

#include <optional>

class QWidget;

// Keeps the window where Form1 says: Left, Top, Width and Height are its
// outer frame, and the client area is what the frame leaves, inside it. The
// platform tells the frame late or not at all, so the window is placed at
// once by the frame as last told, and again whenever the frame changes.
class WindowPlacement : public QObject {
    Q_OBJECT

public:
    WindowPlacement(QWidget* window, const Form& form);

    /** Sizes and places the window by Form1, inside the frame as last told. */
    void place();
    /** Looks at the frame again, after the window was shown, moved, resized or activated. */
    void fit();

private:
    QPoint frameCorner() const;

    QWidget* m_window;
    const Form& m_form;
    std::optional<QMargins> m_frameMargins; // the frame the platform told last
    // Requests to place the window since its frame was last told.
    int m_placements = 0;
    static constexpr int MAX_PLACEMENTS = 4;
};
