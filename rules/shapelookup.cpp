#include "rules/shapelookup.h"

const Shape* findShape(std::string_view tag)
{
    for (const Shape& shape : SHAPES) {
        if (tag == shape.tag)
            return &shape;
    }
    return nullptr;
}

const Shape* turnedShape(std::string_view tag, Family family)
{
    const Shape* shape = findShape(tag);
    if (!shape || shape->family != family)
        return nullptr;
    return findShape(shape->next);
}
