#include "web/message.h"

#include "rules/messages.h"
#include "web/dom.h"

using emscripten::val;

void Message::build()
{
    m_dialog = addElement(val::global("document")["body"], "dialog", "message");
    addElement(m_dialog, "p");
    // The button closes the message itself: a learning platform's sandboxed
    // frame may forbid the form its own way of closing it.
    val buttons = addElement(m_dialog, "form");
    buttons.set("method", "dialog");
    val ok = addElement(buttons, "button");
    ok.set("textContent", "OK");
    listen(ok, "click", "okClicked");
}

void Message::handle(const std::function<void()>& handler)
{
    runHandler(handler, [this](const std::string& text) { report(text); });
}

void Message::report(const std::string& text)
{
    m_dialog.call<val>("querySelector", val("p")).set("textContent", text);
    // The attribute rather than show() and close(), which a browser that
    // knows no dialog element (Firefox 78, Safari before 15.4) lacks.
    m_dialog.call<void>("setAttribute", val("open"), val(""));
    m_dialog.call<val>("querySelector", val("button")).call<void>("focus");
}

bool Message::close()
{
    if (m_dialog.isNull() || !m_dialog.call<bool>("hasAttribute", val("open")))
        return false;
    m_dialog.call<void>("removeAttribute", val("open"));
    return true;
}
