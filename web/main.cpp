// The page's entry: show the scene, fetch the picture files, and take events
// once they are at hand.

#include "web/dom.h"
#include "web/page.h"

#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <memory>

namespace {

// The one page; it lives as long as the browser's tab.
std::unique_ptr<Page> page;

void padEvent(emscripten::val event)
{
    page->padEvent(event);
}

void pieceEvent(emscripten::val event)
{
    page->pieceEvent(event);
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

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    return page->keyDown(event->key);
}

// The functions the page's event listeners call.
EMSCRIPTEN_BINDINGS(zentrik)
{
    emscripten::function("padEvent", &padEvent);
    emscripten::function("pieceEvent", &pieceEvent);
    emscripten::function("preventDefault", &preventDefault);
    emscripten::function("ignore", &ignore);
}

// Says in the page that the game cannot start, and why.
void cannotStart(const std::exception& error)
{
    emscripten::val line
        = emscripten::val::global("document").call<emscripten::val>("createElement", emscripten::val("p"));
    line.set("className", "needs");
    line.set("textContent", std::string("Zentrik cannot start: ") + error.what());
    emscripten::val::global("document")["body"].call<void>("appendChild", line);
}

// The first frame that shows the board has begun: the bench and DevTools
// read this mark.
EM_BOOL firstFrame(double, void*)
{
    mark("first-frame");
    return false;
}

// The handlers read picture files and cannot wait for the network: events
// are taken once the files are here.
void fetchAll(void*)
{
    fetchPictures("pictures/", "/pictures", [](FetchedPictures pictures) {
        page->start(std::move(pictures));
        keepOffline();
    });
}

// Builds the scene a piece a task, letting the browser breathe in between;
// once the board stands, fetches the picture files in a task of its own.
void buildPiece(void*)
{
    try {
        if (page->build()) {
            emscripten_set_timeout(buildPiece, 0, nullptr);
            return;
        }
    } catch (const std::exception& error) {
        cannotStart(error);
        return;
    }
    emscripten_request_animation_frame(firstFrame, nullptr);
    emscripten_set_timeout(fetchAll, 0, nullptr);
}

} // namespace

int main()
{
    mark("main");
    try {
        page = std::make_unique<Page>();
    } catch (const std::exception& error) {
        cannotStart(error);
        return 1;
    }
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, resized);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, false, keyDown);
    emscripten_set_timeout(buildPiece, 0, nullptr);
    // The page lives on after main, taking events, until the tab is closed.
    emscripten_exit_with_live_runtime();
}
