#include "web/dom.h"

using emscripten::val;

val addElement(const val& parent, const char* tag, const std::string& id)
{
    val element = val::global("document").call<val>("createElement", val(tag));
    if (!id.empty())
        element.set("id", id);
    parent.call<void>("appendChild", element);
    return element;
}

void listen(val target, const char* type, const char* handler)
{
    target.call<void>("addEventListener", val(type), val::module_property(handler));
}

void removeFirstBoard()
{
    const val board = val::global("document").call<val>("getElementById", val("first-board"));
    if (!board.isNull())
        board.call<void>("remove");
}

void mark(const char* name)
{
    val::global("performance").call<void>("mark", std::string("zentrik-") + name);
}
