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
    if (!m_dialog["open"].as<bool>())
        m_dialog.call<void>("show");
    m_dialog.call<val>("querySelector", val("button")).call<void>("focus");
}

bool Message::close()
{
    if (m_dialog.isNull() || !m_dialog["open"].as<bool>())
        return false;
    m_dialog.call<void>("close");
    return true;
}
