#pragma once

#include "controls/controls.h"

#include <QWidget>

// Shows one PictureBox (a block or the drag pad) above the window's surface
// and reports the mouse on it, with positions in twips inside the box.
class PictureBoxWidget : public QWidget {
    Q_OBJECT

public:
    PictureBoxWidget(const PictureBox& model, QWidget* parent);

    const PictureBox& model() const { return m_model; }

signals:
    // A button pressed, the mouse moved, a button released; `main` for the
    // left button.
    void pressed(float x, float y, bool main);
    void moved(float x, float y);
    void released(float x, float y, bool main);
    // The buttons pressed on the box will never be released here.
    void lost();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Tells of a press whose release will never come.
    void loseButtons();

    const PictureBox& m_model;
    // The buttons pressed on the box and not released yet.
    Qt::MouseButtons m_held;
};
