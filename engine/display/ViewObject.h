#pragma once

#include <sstream>
#include <string>

#include "display/Color.h"
#include "world/Object.h"

namespace nv {

enum ViewObjectLocation {
    UNDEFINED_LOCATION = -1,
    TOP_LEFT = 0,
    TOP_CENTER = 1,
    TOP_RIGHT = 2,
    CENTER_LEFT = 3,
    CENTER_CENTER = 4,
    CENTER_RIGHT = 5,
    BOTTOM_LEFT = 6,
    BOTTOM_CENTER = 7,
    BOTTOM_RIGHT = 8,
};

/// "top-left" ... "bot-right", or "unknown".
std::string locationToString(ViewObjectLocation location);

enum ViewObjectAttribute : unsigned int {
    VALUE = 0x40000,
    APPEARANCE = 0x80000,
};

/// A heads-up display item: a label, an optional value and border, fixed on the screen while the world scrolls.
class ViewObject : public Object {
public:
    /// A spectral, top-altitude "ViewObject" at TOP_CENTER with a border, value 0 shown, listening to "nv-view".
    ViewObject();
    ~ViewObject() override;

    /// Moves it in view coordinates; its standard location is then undefined; 0 when unchanged.
    int setPosition(Vector new_position) override;
    /// Applies "nv-view" events carrying its label; other events go to the object.
    int eventHandler(const Event *p_e) override;
    /// Draws the text (and its border) at its place in the view; 0 or a negative sum of failures.
    int draw() override;
    /// Writes the object's record and its changed view attributes; 0 or -1.
    int serialize(std::stringstream *p_ss, unsigned int attr = 0) override;
    /// Reads the object's record and its view attributes; 0 or -1.
    int deserialize(std::stringstream *p_ss, unsigned int *p_a = nullptr) override;

    /// Places it at one of the nine standard places; out of range is logged and ignored.
    virtual void setLocation(ViewObjectLocation new_location);
    /// Shows or hides the value.
    virtual void setDrawValue(bool new_draw_value = true);
    /// Sets the value shown.
    virtual void setValue(int new_value);
    /// Turns the border on or off, keeping a standard place's row in step.
    virtual void setBorder(bool new_border);
    /// Sets the color of text and border.
    virtual void setColor(Color new_color);
    /// Sets the label.
    virtual void setViewString(std::string new_view_string);

    /// The label.
    std::string getViewString() const { return view_string; }
    /// The value.
    int getValue() const { return value; }
    /// Whether the value is shown.
    bool getDrawValue() const { return draw_value; }
    /// Whether a border is drawn.
    bool getBorder() const { return border; }
    /// Color of text and border.
    Color getColor() const { return color; }
    /// The standard place last applied, or UNDEFINED_LOCATION.
    ViewObjectLocation getLocation() const { return location; }

private:
    void markAttribute(unsigned int attr) { setModified(getModified() | attr); }

    std::string view_string;
    int value;
    bool draw_value;
    bool border;
    Color color;
    ViewObjectLocation location;
};

} // namespace nv
