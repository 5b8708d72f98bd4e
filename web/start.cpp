#include "web/start.h"

#include "rules/messages.h"
#include "rules/startup.h"
#include "web/designpictures.h"
#include "web/dom.h"
#include "web/protocol.h"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>

using emscripten::val;

namespace {

// A task's share of the start, in milliseconds: a slow phone takes several
// times as long, still well short of a long task, one that holds up a tap,
// with room for the browser's own threads to take the core in the middle of
// it and for a pause of the browser's own (a collection, code made faster).
constexpr double TASK_BUDGET_MS = 2;

// The first frame that shows the program's board has begun, and with it the
// first with the whole board, unless the first board was shown before: the
// bench and DevTools read these marks.
EM_BOOL firstFrame(double, void*)
{
    mark("board-frame");
    val::module_property(MARK_FIRST_FRAME)();
    return false;
}

// Keeps the page's files on the device for the next visit, with or without
// a network. Browsers allow a service worker only where the page comes from
// a secure origin (https, or this machine); elsewhere the page plays online.
// A page that holds its files (the single file) is itself all it needs, and
// a course package's addresses change with every upload to the platform:
// neither asks for a worker.
void keepOffline()
{
    const val document = val::global("document");
    const val workers = val::global("navigator")["serviceWorker"];
    const bool inCourse
        = !document.call<val>("querySelector", "meta[name=" + std::string(COURSE_STANDARD) + "]").isNull();
    if (!workers.isUndefined() && !inCourse && document.call<val>("getElementById", val(HELD_FILES)).isNull())
        workers.call<val>("register", val("sw.js")).call<void>("catch", val::module_property("ignore"));
}

} // namespace

Start::Step Start::once(std::function<void()> run, bool breathe)
{
    return {[run = std::move(run)] { return run(), true; }, breathe};
}

Start::Start(Page& page)
    : m_page(page)
    , m_channel(val::global("MessageChannel").new_())
{
    // The scene is built hidden: the first frame that shows it shows the
    // whole board. Each next task is a message to the page itself, which the
    // browser takes at once, where it holds nested timers back.
    m_channel["port1"].set("onmessage", val::module_property("runSteps"));
    m_steps = {
        // The first elements are the program's first calls into the page,
        // whose code the browser prepares as each is first made: on a first
        // visit the costliest step for its size.
        once([&page] { page.message.build(); }, true),
        // A design picture a step, decoded ahead of the scene that shows it.
        {[&page, next = EMBEDDED_PICTURES.begin()]() mutable {
            if (next != EMBEDDED_PICTURES.end())
                page.strokes((next++)->first);
            return next == EMBEDDED_PICTURES.end();
        }},
        once([&page] {
            mark("pictures");
            page.form = std::make_unique<GameForm>(page.strokes);
            page.view = std::make_unique<BoardView>(*page.form);
        }),
        // The start-up reads no file: the board shows at once, while the
        // picture files are still on their way. It runs before the elements
        // stand, so that each is laid out once, as the start-up leaves it.
        once([&page] {
            page.message.handle([&] { Form_Load(*page.form); });
            mark("scene");
        }),
        {[&page] { return !page.view->buildNext(); }, true},
        once([&page] { page.view->layOut(); }),
    };
    m_channel["port2"].call<void>("postMessage", val::null());
    // The tile is being decoded already (pre.js began as the page's script
    // ran), beside the build, so that the board shows it at once.
    val::module_property(TILE_DECODED)
        .call<void>("then", val::module_property("tileSettles"), val::module_property("tileSettles"));
    // The picture files come while the board is built, rather than after it
    // shows, when the browser is busy drawing it.
    fetchPictures("pictures/", val::module_property("picturesFetched"));
}

void Start::runSteps()
{
    // The next step waits for the next task unless one as long as the
    // longest so far still fits.
    const double begun = emscripten_get_now();
    double now = begun;
    double longest = 0;
    try {
        while (m_next < m_steps.size()) {
            const Step& step = m_steps[m_next];
            const bool done = step.run();
            m_next += done;
            const double before = std::exchange(now, emscripten_get_now());
            longest = std::max(longest, now - before);
            if (m_next < m_steps.size() && ((done && step.breathe) || now - begun + longest > TASK_BUDGET_MS)) {
                m_channel["port2"].call<void>("postMessage", val::null());
                return;
            }
        }
    } catch (const std::exception& error) {
        val::module_property(CANNOT_START)(startFailureMessage(error));
        return;
    }
    // The slots and the blocks show through pictures of canvases, which the
    // browser makes a moment after they are drawn.
    val::module_property(PICTURES_READY)().call<void>("then", val::module_property("boardBuilt"));
}

void Start::ready(Part part, std::shared_ptr<const PictureFileBytes> files)
{
    if (files)
        m_files = std::move(files);
    const unsigned before = std::exchange(m_ready, m_ready | part);
    const auto reached = [&](unsigned parts) { return (before & parts) != parts && (m_ready & parts) == parts; };
    if (reached(BOARD_BUILT | TILE_SETTLED)) {
        m_page.view->reveal();
        emscripten_request_animation_frame(firstFrame, nullptr);
        // Files already here are taken in a task of its own.
        emscripten_set_timeout([](void* start) { static_cast<Start*>(start)->ready(BOARD_SHOWN); }, 0, this);
    }
    // The handlers read picture files and cannot wait for the network.
    if (reached(BOARD_SHOWN | FILES_FETCHED))
        play();
}

void Start::play()
{
    const std::shared_ptr<const PictureFileBytes> files = m_files;
    m_page.form->pictureFiles = [files](const std::string& name) { return (*files)(name); };
    m_page.input = std::make_unique<PointerInput>(*m_page.form, *m_page.view, m_page.message);
    m_page.view->setBusy(false);
    if (files->noneArrived()) {
        const std::string places[] = {files->address};
        m_page.message.report(missingFolderMessage(places));
    }
    keepOffline();
}
