// The least a Qt Widgets window does to move a 50 x 50 child on each mouse
// move: the yardstick for the game's input to screen. It has the game's size
// and layout (a block, and a pad that moves it 4 pixels per pixel while a
// button is held), painted in plain colours.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

QWidget* plainWidget(QWidget* parent, QRect place, QColor colour)
{
    auto* widget = new QWidget(parent);
    widget->setGeometry(place);
    widget->setAutoFillBackground(true);
    widget->setPalette(QPalette(colour));
    return widget;
}

class Pad : public QWidget {
public:
    Pad(QWidget* block, QWidget* parent)
        : QWidget(parent)
        , m_block(block)
    {
        setGeometry(676, 484, 234, 155);
        setAutoFillBackground(true);
        setPalette(QPalette(Qt::darkBlue));
        setMouseTracking(true);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_grab = event->position().toPoint();
        m_blockStart = m_block->pos();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() != Qt::NoButton)
            m_block->move(m_blockStart + 4 * (event->position().toPoint() - m_grab));
    }

private:
    QWidget* m_block;
    QPoint m_grab;
    QPoint m_blockStart;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setGeometry(0, 0, 1006, 743);
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(QColor(0xEE, 0xB3, 0x4F)));
    QWidget* block = plainWidget(&window, {110, 534, 50, 50}, Qt::red);
    new Pad(block, &window);
    block->raise();
    window.show();
    return QApplication::exec();
}
