// The page's entry: the functions the scripts and listeners call, each
// handing its event to its part of the page, and main, which starts it.

#include "web/designpictures.h"
#include "web/dom.h"
#include "web/start.h"

#include <emscripten/bind.h>
#include <emscripten/emscripten.h>

using emscripten::val;

namespace {

// The one page and its start; they live as long as the browser's tab.
Page page{.strokes = DesignStrokes("design:", [](const std::string& name) {
              const auto file = EMBEDDED_PICTURES.find(name);
              return file != EMBEDDED_PICTURES.end() ? file->second : std::span<const uint8_t>();
          })};
std::optional<Start> start;

// Makes `handler` callable by the scripts as Module[name].
template <typename Handler>
void bind(const char* name, Handler handler)
{
    emscripten::function(name, +handler);
}

} // namespace

// The functions the scripts and the listeners call by name. Pointer events
// are followed only once the start has made the input.
EMSCRIPTEN_BINDINGS(zentrik)
{
    bind("padEvent", [](val event) { page.input->padEvent(event); });
    bind("padMoves", [](val moves) { page.input->padMoves(moves); });
    bind("pieceEvent", [](val event) { page.input->pieceEvent(event); });
    bind("preventDefault", [](val event) { event.call<void>("preventDefault"); });
    bind("okClicked", [](val event) {
        event.call<void>("preventDefault");
        page.message.close();
    });
    bind("ignore", [](val) {});
    bind("keyDown", [](val event) {
        const std::string key = event["key"].as<std::string>();
        if ((key == "Enter" || key == "Escape") && page.message.close())
            event.call<void>("preventDefault");
    });
    bind("pageLeft", [](val event) {
        if (page.input && (event["type"].as<std::string>() == "blur" || val::global("document")["hidden"].as<bool>()))
            page.input->focusLost();
    });
    bind("runSteps", [](val) { start->runSteps(); });
    bind("boardBuilt", [](val) { start->ready(Start::BOARD_BUILT); });
    bind("tileSettles", [](val) { start->ready(Start::TILE_SETTLED); });
    bind("picturesFetched", [](val address, val files, val failures) {
        start->ready(Start::FILES_FETCHED, fetchedPictures(address, files, failures));
    });
}

int main()
{
    mark("main");
    const val document = val::global("document");
    listen(document, "keydown", "keyDown");
    listen(val::global("window"), "blur", "pageLeft");
    listen(document, "visibilitychange", "pageLeft");
    start.emplace(page);
    // The page lives on after main, taking events, until the tab is closed.
    emscripten_exit_with_live_runtime();
}
