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

bool PictureBoxWidget::event(QEvent* event)
{
    // A hidden window gets no release: a window manager that minimises the
    // window, or moves it to another desktop, in the middle of a press takes
    // the button's release with it.
    if (event->type() == QEvent::Hide)
        releaseLostButtons();
    return QWidget::event(event);
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event)
{
    m_held |= event->button();
    m_lastX = twipsX(event);
    m_lastY = twipsY(event);
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), m_lastX, m_lastY);
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* event)
{
    // The buttons pressed here are all up, yet no release came: another
    // window took the mouse in between. A drag never runs on with no button
    // held.
    if (m_held && !(event->buttons() & m_held))
        releaseLostButtons();
    m_lastX = twipsX(event);
    m_lastY = twipsY(event);
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), m_lastX, m_lastY);
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && (m_held & Qt::LeftButton)
        && rect().contains(event->position().toPoint());
    m_held &= ~event->button();
    m_lastX = twipsX(event);
    m_lastY = twipsY(event);
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), m_lastX, m_lastY);
    if (click)
        emit clicked();
}

void PictureBoxWidget::releaseLostButtons()
{
    if (!m_held)
        return;
    const Qt::MouseButtons lost = m_held;
    m_held = Qt::NoButton;
    emit mouseUp(buttonCode(lost), 0, m_lastX, m_lastY);
}
