#include "window/gamewindow.h"

#include "controls/designstrokes.h"
#include "controls/loadpicture.h"
#include "design/faces.h"
#include "rules/messages.h"
#include "rules/startup.h"
#include "window/application.h"
#include "window/builtinpictures.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"
#include "window/windowplacement.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {

// The one pointer the pad's drag and the blocks' clicks know on the desktop.
constexpr int MOUSE = 0;

QFont labelFont(const Label& label)
{
    // Where the machine lacks the labels' own face, the first Japanese face
    // it has stands in, so the instructions never show as boxes.
    static const QStringList japaneseFaces(JAPANESE_FACES.begin(), JAPANESE_FACES.end());
    const QString face = QString::fromStdString(label.Font().Name);
    QFont::insertSubstitutions(face, japaneseFaces);
    QFont font(face);
    font.setPointSizeF(label.Font().Size);
    font.setBold(label.Font().Bold);
    // Merging in other faces for missing characters means a search through
    // every font on the machine; a face made for Japanese needs none. The
    // face is chosen alike with or without merging, so it is looked up
    // without: the search is made only where merging is kept.
    QFont alone = font;
    alone.setStyleStrategy(QFont::NoFontMerging);
    const QString chosen = QFontInfo(alone).family();
    return chosen == face || japaneseFaces.contains(chosen) ? alone : font;
}

} // namespace

GameWindow::GameWindow(PictureFolder pictureFolder, QWidget* parent)
    : QWidget(parent)
    // The background is most of a million pixels: it is decoded on the side
    // while the window is built and shown, and taken by the first paint.
    , m_backgroundLoading(std::async(std::launch::async, [] { return builtInBitmap("background.bmp"); }))
    , m_scene(std::make_unique<GameForm>(DesignStrokes(BUILT_IN_PICTURES, builtInBytes)))
{
    GameForm& form = *m_scene;
    form.pictureFiles = picturesIn(pictureFolder.path);

    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QString::fromStdString(form.Form1.Caption()));

    // The pad and the blocks stand above the window's own surface, which
    // shows the slots and the labels; later siblings above earlier ones.
    for (const Control* control : form.standingOrder()) {
        const auto* box = dynamic_cast<const PictureBox*>(control);
        if (!box)
            continue;
        auto* widget = new PictureBoxWidget(*box, this);
        if (box == &form.Picture1) {
            m_pad = widget;
            continue;
        }
        const int index = box->Index();
        m_pieces[index] = widget;
        connect(widget, &PictureBoxWidget::pressed, this,
                [this, index](float, float, bool main) { m_clicks.press(MOUSE, index, main); });
        // Qt tells each button's release: only the main one's lifts a press.
        connect(widget, &PictureBoxWidget::released, this, [this, box, index](float x, float y, bool main) {
            if (!main)
                return;
            const bool over = x >= 0 && y >= 0 && x < box->Width() && y < box->Height();
            handle([&] { m_clicks.release(*m_scene, MOUSE, over ? std::optional(index) : std::nullopt); });
        });
        connect(widget, &PictureBoxWidget::lost, this, [this] { m_clicks.lose(MOUSE); });
    }

    m_pad->setMouseTracking(true);
    connect(m_pad, &PictureBoxWidget::pressed, this,
            [this](float x, float y) { handle([&] { m_drag.press(*m_scene, MOUSE, x, y); }); });
    connect(m_pad, &PictureBoxWidget::moved, this,
            [this](float x, float y) { handle([&] { m_drag.move(*m_scene, MOUSE, x, y); }); });
    connect(m_pad, &PictureBoxWidget::released, this,
            [this](float x, float y) { handle([&] { m_drag.release(*m_scene, MOUSE, x, y); }); });
    connect(m_pad, &PictureBoxWidget::lost, this, [this] { handle([&] { m_drag.lose(*m_scene, MOUSE); }); });

    form.observe(this);
    m_placement = new WindowPlacement(this, form.Form1);
    m_placement->place();
    handle([&] { Form_Load(form); });

    // Said at once rather than at the first turn, once the window is up.
    if (!pictureFolder.exists())
        QTimer::singleShot(0, this, [this, folder = std::move(pictureFolder)] { reportMissingFolder(folder); });
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
    case QEvent::ShowToParent:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
        if (m_placement)
            m_placement->fit();
        break;
    default: break;
    }
    return result;
}

void GameWindow::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    if (m_backgroundLoading.valid())
        takeBackground();
    // At its own size from the top left, never scaled; opaque, so copied
    // without blending. The region leaves out the blocks and the pad, and Qt
    // copies only into a rectangle: drawn through the region at once, the
    // picture would be blended line by line, in a large paint by threads Qt
    // starts for it, which cost the first frame more than the copy.
    for (const QRect& rect : event->region()) {
        painter.setClipRect(rect);
        if (!m_background.rect().contains(rect))
            painter.fillRect(rect, toQColor(m_scene->Form1.BackColor()));
        if (!m_background.isNull())
            painter.drawImage(rect.topLeft(), m_background, rect);
    }
    painter.setClipping(false);

    for (const Image& slot : m_scene->img_alpha) {
        const QRect box = pixelRect(slot);
        if (slot.Visible() && slot.Picture() && box.intersects(area))
            painter.drawImage(box.topLeft(), toQImage(*slot.Picture()));
    }

    const std::array<const Label*, 2> labels{&m_scene->Label1, &m_scene->lblPicFile};
    for (size_t i = 0; i < labels.size(); ++i) {
        const Label& label = *labels[i];
        const QRect box = pixelRect(label);
        if (!label.Visible() || !box.intersects(area))
            continue;
        // The first font look-up waits for the font configuration, read on
        // the side meanwhile: until the labels, the first frame needs none.
        if (!m_labelFonts) {
            awaitFontConfiguration();
            m_labelFonts = {labelFont(m_scene->Label1), labelFont(m_scene->lblPicFile)};
        }
        painter.fillRect(box, toQColor(label.BackColor()));
        painter.setPen(toQColor(label.ForeColor()));
        painter.setFont((*m_labelFonts)[i]);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(label.Caption()));
    }

    // The icon and the pad pointer are no part of the window's pixels, and
    // reading the first loads Qt's image plugins: they are read once the
    // first frame is out, so that nothing before it waits or works for them.
    if (!m_iconsRead) {
        m_iconsRead = true;
        QTimer::singleShot(0, this, &GameWindow::readIcons);
    }
}

void GameWindow::readIcons()
{
    handle([this] {
        m_pad->setCursor(QCursor(QPixmap::fromImage(builtInImage("pad.ico")), 16, 16));
        setWindowIcon(QIcon(QPixmap::fromImage(builtInImage("zentrik.ico"))));
    });
}

void GameWindow::takeBackground()
{
    try {
        m_background = m_backgroundLoading.get();
    } catch (const PictureLoadError& error) {
        // The window's orange stands in; the message waits until painting is over.
        QTimer::singleShot(0, this, [this, what = ::failureMessage(error)] { reportFailure(what); });
    }
}

void GameWindow::controlChanged(const Control& control, Change change)
{
    if (&control == &m_scene->Form1) {
        if (change == Change::Geometry)
            m_placement->place();
        return;
    }

    if (PictureBoxWidget* widget = widgetOf(control)) {
        switch (change) {
        case Change::Geometry: widget->setGeometry(pixelRect(control)); break;
        case Change::Appearance: widget->update(); break;
        case Change::Visibility: widget->setVisible(control.Visible()); break;
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
    runHandler(handler, [this](const std::string& what) { reportFailure(what); });
}

void GameWindow::reportMissingFolder(const PictureFolder& folder)
{
    std::vector<std::string> places;
    for (const std::filesystem::path& place : folder.searched)
        places.push_back(place.string());
    reportFailure(missingFolderMessage(places));
}

void GameWindow::reportFailure(const std::string& what)
{
    if (!m_failure) {
        m_failure = new QMessageBox(QMessageBox::Warning, windowTitle(), QString(), QMessageBox::Ok, this);
        m_failure->setAttribute(Qt::WA_DeleteOnClose);
        m_failure->setWindowModality(Qt::NonModal);
    }
    m_failure->setText(QString::fromStdString(what));
    m_failure->show();
}
