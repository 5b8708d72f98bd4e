// The page's entry: show the scene, fetch the picture files, and take events
// once they are at hand.

#include "web/dom.h"
#include "web/page.h"

#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// The one page; it lives as long as the browser's tab.
std::unique_ptr<Page> page;
// The channel that carries the start from one piece to the next.
emscripten::val nextPiece = emscripten::val::null();
// The board shows once it stands and its background's tile is decoded.
bool boardBuilt = false;
bool backgroundSettled = false;
bool boardShown = false;
// The picture files, once all are here or given up, until the board shows.
std::optional<FetchedPictures> fetched;

void padEvent(emscripten::val event)
{
    page->padEvent(event);
}

void padMoves(emscripten::val moves)
{
    page->padMoves(moves);
}

void pieceEvent(emscripten::val event)
{
    page->pieceEvent(event);
}

void okClicked(emscripten::val event)
{
    event.call<void>("preventDefault");
    page->closeMessage();
}

void preventDefault(emscripten::val event)
{
    event.call<void>("preventDefault");
}

void ignore(emscripten::val) { }

// Keeps the page's files on the device for the next visit, with or without
// a network. Browsers allow a service worker only where the page comes from
// a secure origin (https, or this machine); elsewhere the page plays online.
void keepOffline()
{
    const emscripten::val workers = emscripten::val::global("navigator")["serviceWorker"];
    if (workers.isUndefined())
        return;
    workers.call<emscripten::val>("register", emscripten::val("sw.js"))
        .call<void>("catch", emscripten::val::module_property("ignore"));
}

EM_BOOL resized(int, const EmscriptenUiEvent*, void*)
{
    page->fitViewport();
    return false;
}

EM_BOOL blurred(int, const EmscriptenFocusEvent*, void*)
{
    page->focusLost();
    return false;
}

EM_BOOL visibilityChanged(int, const EmscriptenVisibilityChangeEvent* event, void*)
{
    if (event->hidden)
        page->focusLost();
    return false;
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    return page->keyDown(event->key);
}

// Says in the page that the game cannot start, and why.
void cannotStart(const std::exception& error)
{
    Page::removeFirstBoard();
    emscripten::val line
        = emscripten::val::global("document").call<emscripten::val>("createElement", emscripten::val("p"));
    line.set("className", "needs");
    line.set("textContent", std::string("Zentrik cannot start: ") + error.what());
    emscripten::val::global("document")["body"].call<void>("appendChild", line);
}

// The first frame that shows the program's board has begun, and with it
// the first with the whole board, unless the first board was shown before:
// the bench and DevTools read these marks.
EM_BOOL firstFrame(double, void*)
{
    mark("board-frame");
    emscripten::val::module_property("markFirstFrame")();
    return false;
}

// The handlers read picture files and cannot wait for the network: events
// are taken once the files are here and the board shows.
void startWhenReady()
{
    if (!boardShown || !fetched)
        return;
    page->start(std::move(*fetched));
    fetched.reset();
    keepOffline();
}

// The picture files come while the board is built, rather than after it
// shows, when the browser is busy drawing it.
void fetchAll(void*)
{
    fetchPictures("pictures/", "/pictures", [](FetchedPictures pictures) {
        fetched = std::move(pictures);
        startWhenReady();
    });
}

// Shows the board once both it and its background are ready.
void revealWhenReady()
{
    if (!boardBuilt || !backgroundSettled)
        return;
    page->reveal();
    boardShown = true;
    emscripten_request_animation_frame(firstFrame, nullptr);
    // Files already here are taken in a task of its own.
    emscripten_set_timeout([](void*) { startWhenReady(); }, 0, nullptr);
}

// The tile is decoded, or cannot be (pre.js says why in the console):
// without it the board shows on the window's plain colour rather than not at
// all.
void backgroundSettles(emscripten::val)
{
    backgroundSettled = true;
    revealWhenReady();
}

// Builds the scene a few pieces a task, letting the browser breathe in
// between. Each next task is a message to the page itself, which the browser
// takes at once, where a timer's would wait 4 ms after the fifth.
void buildPiece(emscripten::val)
{
    // A task's share of the start, in milliseconds: a slow phone takes
    // several times as long, still well short of what a browser counts as a
    // long task, one that holds up a tap, with room for
    // the browser's own threads, which run before the page's, to take the
    // core in the middle of it, and for a pause of the browser's own (a
    // collection, code made faster). The next piece waits for the next task
    // unless one as long as the longest so far still fits.
    constexpr double TASK_BUDGET_MS = 2;
    const double begun = emscripten_get_now();
    double now = begun;
    double longest = 0;
    try {
        for (Page::Progress progress; (progress = page->build()) != Page::Progress::Done;) {
            const double before = now;
            now = emscripten_get_now();
            longest = std::max(longest, now - before);
            if (progress == Page::Progress::MoreAfterABreath || now - begun + longest > TASK_BUDGET_MS) {
                nextPiece["port2"].call<void>("postMessage", emscripten::val::null());
                return;
            }
        }
    } catch (const std::exception& error) {
        cannotStart(error);
        return;
    }
    // The slots and the blocks show through pictures of canvases, which the
    // browser makes a moment after they are drawn.
    emscripten::val::module_property("picturesReady")().call<void>("then",
                                                                   emscripten::val::module_property("boardStands"));
}

void boardStands(emscripten::val)
{
    boardBuilt = true;
    revealWhenReady();
}

} // namespace

// The functions the page's event listeners call.
EMSCRIPTEN_BINDINGS(zentrik)
{
    emscripten::function("padEvent", &padEvent);
    emscripten::function("padMoves", &padMoves);
    emscripten::function("pieceEvent", &pieceEvent);
    emscripten::function("preventDefault", &preventDefault);
    emscripten::function("okClicked", &okClicked);
    emscripten::function("ignore", &ignore);
    emscripten::function("buildPiece", &buildPiece);
    emscripten::function("boardStands", &boardStands);
    emscripten::function("backgroundSettles", &backgroundSettles);
}

int main()
{
    mark("main");
    // The tile is being decoded already (pre.js began as the page's script
    // ran), beside the build, so that the board shows it at once.
    emscripten::val::module_property("tileDecoded")
        .call<void>("then", emscripten::val::module_property("backgroundSettles"),
                    emscripten::val::module_property("backgroundSettles"));
    try {
        page = std::make_unique<Page>();
    } catch (const std::exception& error) {
        cannotStart(error);
        return 1;
    }
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, resized);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, false, keyDown);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, blurred);
    emscripten_set_visibilitychange_callback(nullptr, false, visibilityChanged);
    nextPiece = emscripten::val::global("MessageChannel").new_();
    nextPiece["port1"].set("onmessage", emscripten::val::module_property("buildPiece"));
    nextPiece["port2"].call<void>("postMessage", emscripten::val::null());
    emscripten_set_timeout(fetchAll, 0, nullptr);
    // The page lives on after main, taking events, until the tab is closed.
    emscripten_exit_with_live_runtime();
}
