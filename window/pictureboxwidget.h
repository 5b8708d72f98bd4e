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
    // A left-button press and release on the box.
    void clicked();
    void mouseDown(int16_t button, int16_t shift, float x, float y);
    void mouseMove(int16_t button, int16_t shift, float x, float y);
    void mouseUp(int16_t button, int16_t shift, float x, float y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Ends a press whose release will never come, as the release would have.
    void releaseLostButtons();

    const PictureBox& m_model;
    // The buttons pressed on the box and not released yet, and where the
    // pointer last was, in twips.
    Qt::MouseButtons m_held;
    float m_lastX = 0;
    float m_lastY = 0;
};
