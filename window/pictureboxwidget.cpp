#include "window/pictureboxwidget.h"

#include "window/qtconvert.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The window's numbering of mouse buttons and modifier keys.
int16_t buttonCode(Qt::MouseButtons buttons)
{
    int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int16_t shiftCode(Qt::KeyboardModifiers modifiers)
{
    int16_t code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

float twipsX(const QMouseEvent* event)
{
    return static_cast<float>(event->position().x() * TWIPS_PER_PIXEL);
}

float twipsY(const QMouseEvent* event)
{
    return static_cast<float>(event->position().y() * TWIPS_PER_PIXEL);
}

} // namespace

PictureBoxWidget::PictureBoxWidget(const PictureBox& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(pixelRect(model));
    setVisible(model.Visible());
}

void PictureBoxWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_model.BackColor()));
    if (const PicturePtr& picture = m_model.Picture())
        painter.drawImage(0, 0, toQImage(*picture));
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), twipsX(event), twipsY(event));
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), twipsX(event), twipsY(event));
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click
        = event->button() == Qt::LeftButton && m_leftPressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), twipsX(event), twipsY(event));
    if (click)
        emit clicked();
}
