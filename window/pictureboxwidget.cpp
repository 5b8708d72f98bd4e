#include "window/pictureboxwidget.h"

#include "window/qtconvert.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

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
        loseButtons();
    return QWidget::event(event);
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event)
{
    m_held |= event->button();
    emit pressed(twipsX(event), twipsY(event), event->button() == Qt::LeftButton);
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* event)
{
    // The buttons pressed here are all up, yet no release came: another
    // window took the mouse in between. A drag never runs on with no button
    // held.
    if (m_held && !(event->buttons() & m_held))
        loseButtons();
    emit moved(twipsX(event), twipsY(event));
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_held &= ~event->button();
    emit released(twipsX(event), twipsY(event), event->button() == Qt::LeftButton);
}

void PictureBoxWidget::loseButtons()
{
    if (!m_held)
        return;
    m_held = Qt::NoButton;
    emit lost();
}
