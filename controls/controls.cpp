#include "controls/controls.h"

#include <cstdint>

void Control::design(std::string name, int16_t index, float left, float top, float width, float height)
{
    m_name = std::move(name);
    m_index = index;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

void Control::setVisible(bool value)
{
    if (m_visible == value)
        return;
    m_visible = value;
    changed(Change::Visibility);
}

void Control::changed(Change change) const
{
    if (m_observer)
        m_observer->controlChanged(*this, change);
}

void Control::setGeometry(float& field, float value)
{
    // Compare bit patterns, not values: -0 and +0 or two NaNs are still a change.
    if (__builtin_bit_cast(std::uint32_t, field) == __builtin_bit_cast(std::uint32_t, value))
        return;
    field = value;
    changed(Change::Geometry);
}

void PictureHolder::setPicture(PicturePtr value)
{
    setAppearance(m_picture, std::move(value));
}
