#include "gamewindow.h"

#include "board.h"
#include "dragging.h"
#include "pictureboxwidget.h"
#include "selection.h"
#include "startup.h"

#include <QFile>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>

namespace {

// The labels' face; where a machine lacks it, a face of the same metrics that
// shows Japanese stands in, so the instructions never show as boxes.
void substituteLabelFont(const std::string& face)
{
    QFont::insertSubstitutions(QString::fromStdString(face),
                               {"IPAPGothic", "IPA Pゴシック", "IPAGothic", "Noto Sans CJK JP", "VL PGothic",
                                "TakaoPGothic", "Droid Sans Fallback"});
}

QFont labelFont(const Label& label)
{
    QFont font(QString::fromStdString(label.FontName));
    font.setPointSizeF(label.FontSize);
    font.setBold(label.FontBold);
    return font;
}

PicturePtr resourcePicture(const std::string& name)
{
    const QString path = ":/pictures/" + QString::fromStdString(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureLoadError(path.toStdString(), "not built into the program");
    const QByteArray bytes = file.readAll();
    return decodeGif({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())},
                     path.toStdString());
}

} // namespace

GameWindow::GameWindow(std::filesystem::path pictureFolder, QWidget* parent)
    : QWidget(parent)
    , m_scene(std::make_unique<Scene>(SLOTS, resourcePicture))
    , m_background(":/pictures/background.bmp")
{
    Scene& form = *m_scene;
    form.pictureFolder = std::move(pictureFolder);

    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QString::fromStdString(form.Form1.Caption));
    setWindowIcon(QIcon(":/pictures/zentrik.ico"));
    substituteLabelFont(form.Label1.FontName);

    // Later siblings stand above earlier ones.
    for (int index : {5, 4, 3, 1, -1, 0, 2}) {
        if (index < 0) {
            m_pad = new PictureBoxWidget(form.Picture1, this);
            continue;
        }
        auto* piece = new PictureBoxWidget(form.Piece[index], this);
        m_pieces[index] = piece;
        connect(piece, &PictureBoxWidget::clicked, this,
                [this, index] { handle([&] { Piece_Click(*m_scene, static_cast<int16_t>(index)); }); });
    }

    m_pad->setMouseTracking(true);
    m_pad->setCursor(QCursor(QPixmap(":/pictures/pad.ico"), 16, 16));
    connect(m_pad, &PictureBoxWidget::mouseDown, this, [this](int16_t button, int16_t shift, float x, float y) {
        handle([&] { Picture1_MouseDown(*m_scene, button, shift, x, y); });
    });
    connect(m_pad, &PictureBoxWidget::mouseMove, this, [this](int16_t button, int16_t shift, float x, float y) {
        handle([&] { Picture1_MouseMove(*m_scene, button, shift, x, y); });
    });
    connect(m_pad, &PictureBoxWidget::mouseUp, this, [this](int16_t button, int16_t shift, float x, float y) {
        handle([&] { Picture1_MouseUp(*m_scene, button, shift, x, y); });
    });

    form.observe(this);
    placeWindow();
    handle([&] { Form_Load(form); });
}

GameWindow::~GameWindow()
{
    // The child widgets show controls of the scene: let them go first.
    m_scene->observe(nullptr);
    delete m_pad;
    qDeleteAll(m_pieces);
}

bool GameWindow::event(QEvent* event)
{
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize: {
        // Form1's size is the outer frame; once the frame is known, the client
        // area is what it leaves.
        const QSize extra = frameGeometry().size() - size();
        if (extra != m_frameExtra && extra.width() >= 0 && extra.height() >= 0) {
            m_frameExtra = extra;
            placeWindow();
        }
        break;
    }
    default:
        break;
    }
    return result;
}

void GameWindow::placeWindow()
{
    const Form& window = m_scene->Form1;
    move(toPixels(window.Left()), toPixels(window.Top()));
    setFixedSize(QSize(toPixels(window.Width()), toPixels(window.Height())) - m_frameExtra);
}

void GameWindow::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    painter.fillRect(area, toQColor(m_scene->Form1.BackColor));
    painter.drawPixmap(area.topLeft(), m_background, area);

    for (const Image& slot : m_scene->img_alpha) {
        const QRect box = pixelRect(slot);
        if (slot.Visible() && slot.Picture() && box.intersects(area))
            painter.drawImage(box.topLeft(), toQImage(*slot.Picture()));
    }

    for (const Label* label : {&m_scene->Label1, &m_scene->lblPicFile}) {
        const QRect box = pixelRect(*label);
        if (!label->Visible() || !box.intersects(area))
            continue;
        painter.fillRect(box, toQColor(label->BackColor));
        painter.setPen(toQColor(label->ForeColor));
        painter.setFont(labelFont(*label));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(label->Caption()));
    }
}

void GameWindow::controlChanged(const Control& control, Change change)
{
    if (&control == &m_scene->Form1) {
        if (change == Change::Geometry)
            placeWindow();
        return;
    }

    if (PictureBoxWidget* widget = widgetOf(control)) {
        switch (change) {
        case Change::Geometry:
            widget->setGeometry(pixelRect(control));
            break;
        case Change::Appearance:
            widget->update();
            break;
        case Change::Visibility:
            widget->setVisible(control.Visible());
            break;
        }
        return;
    }

    // Slots and labels live on the window's own surface.
    update(pixelRect(control));
}

PictureBoxWidget* GameWindow::widgetOf(const Control& control) const
{
    if (&control == &m_scene->Picture1)
        return m_pad;
    for (PictureBoxWidget* piece : m_pieces) {
        if (&piece->model() == &control)
            return piece;
    }
    return nullptr;
}

template <typename Handler>
void GameWindow::handle(Handler&& handler)
{
    try {
        handler();
    } catch (const PictureLoadError& error) {
        reportFailure(tr("Zentrik could not load the picture\n%1\n(%2).\n\nThe game goes on.")
                          .arg(QString::fromStdString(error.path()), QString::fromStdString(error.reason())));
    } catch (const std::exception& error) {
        reportFailure(tr("Something went wrong: %1.\n\nThe game goes on.").arg(QString::fromUtf8(error.what())));
    }
}

void GameWindow::reportFailure(const QString& what)
{
    if (!m_failure) {
        m_failure = new QMessageBox(QMessageBox::Warning, windowTitle(), QString(), QMessageBox::Ok, this);
        m_failure->setAttribute(Qt::WA_DeleteOnClose);
        m_failure->setWindowModality(Qt::NonModal);
    }
    m_failure->setText(what);
    m_failure->show();
}
