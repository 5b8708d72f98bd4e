#pragma once

#include <emscripten/val.h>

#include <functional>
#include <string>

// The page's message: what failed, told inside the page, never by alert(),
// which would freeze a kiosk's only window. Its button or Enter closes it;
// the game goes on meanwhile.
class Message {
public:
    /** Adds the message, closed, to the page. */
    void build();

    /** Runs a handler; a failure is told and the game goes on. */
    void handle(const std::function<void()>& handler);
    /** Shows `text`, in place of what the message said. */
    void report(const std::string& text);
    /** Closes the message, if it is open; false if it was not. */
    bool close();

private:
    emscripten::val m_dialog = emscripten::val::null();
};
