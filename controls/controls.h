#pragma once

#include "controls/picture.h"

#include <cstdint>
#include <string>

// A colour as the window stores it: 0x00BBGGRR.
using Colour = uint32_t;

class Control;

// What a property change asks of the screen.
enum class Change {
    Geometry,   // Left, Top, Width or Height
    Appearance, // BackColor, Picture or Caption
    Visibility, // Visible
};

// The window's view of the controls: told after every property change that
// alters what the screen shows, and of nothing else.
class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void controlChanged(const Control& control, Change change) = 0;
};

// The properties every control has. Positions and sizes are twips as Single,
// measured from the top left of the window's client area; they read back
// exactly as they were set.
class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const std::string& Name() const { return m_name; }
    int16_t Index() const { return m_index; }

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float value) { setGeometry(m_left, value); }
    void setTop(float value) { setGeometry(m_top, value); }
    void setWidth(float value) { setGeometry(m_width, value); }
    void setHeight(float value) { setGeometry(m_height, value); }

    const std::string& Tag() const { return m_tag; }
    void setTag(std::string value) { m_tag = std::move(value); }

    bool Visible() const { return m_visible; }
    void setVisible(bool value);

    // Sets the design-time identity and rectangle, before the window observes it.
    void design(std::string name, int16_t index, float left, float top, float width, float height);
    void setObserver(ControlObserver* observer) { m_observer = observer; }

protected:
    void changed(Change change) const;
    // Sets a property that alters the control's look, telling the observer
    // only when the value really changes.
    template <typename T>
    void setAppearance(T& field, T value)
    {
        if (field == value)
            return;
        field = std::move(value);
        changed(Change::Appearance);
    }

private:
    void setGeometry(float& field, float value);

    std::string m_name;
    int16_t m_index = -1;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    std::string m_tag;
    bool m_visible = true;
    ControlObserver* m_observer = nullptr;
};

// A control that shows a picture: the base of PictureBox and Image.
class PictureHolder : public Control {
public:
    const PicturePtr& Picture() const { return m_picture; }
    void setPicture(PicturePtr value);

private:
    PicturePtr m_picture;
};

// A box with a back colour, under its picture. The blocks and the drag pad.
class PictureBox : public PictureHolder {
public:
    Colour BackColor() const { return m_backColor; }
    void setBackColor(Colour value) { setAppearance(m_backColor, value); }

private:
    Colour m_backColor = 0;
};

// A bare picture, transparent where the picture is. The slots.
class Image : public PictureHolder { };

// The face a label's text is drawn in.
struct Font {
    std::string Name;
    float Size = 0; // points
    bool Bold = false;

    bool operator==(const Font&) const = default;
};

// One line of text in a fixed box.
class Label : public Control {
public:
    const std::string& Caption() const { return m_caption; }
    void setCaption(std::string value) { setAppearance(m_caption, std::move(value)); }
    Colour BackColor() const { return m_backColor; }
    void setBackColor(Colour value) { setAppearance(m_backColor, value); }
    Colour ForeColor() const { return m_foreColor; }
    void setForeColor(Colour value) { setAppearance(m_foreColor, value); }
    const ::Font& Font() const { return m_font; }
    void setFont(::Font value) { setAppearance(m_font, std::move(value)); }

private:
    std::string m_caption;
    Colour m_backColor = 0;
    Colour m_foreColor = 0;
    ::Font m_font;
};

// The window itself. Left, Top, Width and Height are its outer frame on the
// screen; Caption is its title.
class Form : public Control {
public:
    const std::string& Caption() const { return m_caption; }
    void setCaption(std::string value) { setAppearance(m_caption, std::move(value)); }
    Colour BackColor() const { return m_backColor; }
    void setBackColor(Colour value) { setAppearance(m_backColor, value); }

private:
    std::string m_caption;
    Colour m_backColor = 0;
};
