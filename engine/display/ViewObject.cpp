#include "display/ViewObject.h"

#include <cstdint>

#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "display/EventView.h"
#include "world/Record.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace nv {

std::string locationToString(ViewObjectLocation location) {
    switch (location) {
    case TOP_LEFT:
        return "top-left";
    case TOP_CENTER:
        return "top-center";
    case TOP_RIGHT:
        return "top-right";
    case CENTER_LEFT:
        return "center-left";
    case CENTER_CENTER:
        return "center-center";
    case CENTER_RIGHT:
        return "center-right";
    case BOTTOM_LEFT:
        return "bot-left";
    case BOTTOM_CENTER:
        return "bot-center";
    case BOTTOM_RIGHT:
        return "bot-right";
    default:
        return "unknown";
    }
}

ViewObject::ViewObject()
    : view_string(), value(0), draw_value(true), border(true), color(WHITE), location(UNDEFINED_LOCATION) {
    setSolidness(SPECTRAL);
    setAltitude(MAX_ALTITUDE);
    setType("ViewObject");
    setLocation(TOP_CENTER);
    registerInterest(VIEW_EVENT);
    markAttribute(VALUE | APPEARANCE);
}

ViewObject::~ViewObject() = default;

int ViewObject::setPosition(Vector new_position) {
    if (new_position == getPosition())
        return 0;
    location = UNDEFINED_LOCATION;
    const int result = Object::setPosition(new_position);
    markAttribute(APPEARANCE);
    return result;
}

void ViewObject::setLocation(ViewObjectLocation new_location) {
    if (static_cast<unsigned int>(new_location) > static_cast<unsigned int>(BOTTOM_RIGHT)) {
        LogManager::getInstance().writeLog("ViewObject::setLocation(): Warning! Location out of range (%d). Ignored.",
                                           static_cast<int>(new_location));
        return;
    }
    const Box view = WorldManager::getInstance().getView();
    const float w = view.getHorizontal();
    const float h = view.getVertical();
    float x = 0.f;
    switch (new_location % 3) {
    case 0:
        x = w / 6.f;
        break;
    case 1:
        x = w * 3.f / 6.f;
        break;
    default:
        x = w * 5.f / 6.f;
        break;
    }
    float y = 0.f;
    switch (new_location / 3) {
    case 0:
        y = border ? 1.f : 0.f;
        break;
    case 1:
        y = border ? h * 0.5f : h * 0.5f - 1.f;
        break;
    default:
        y = border ? h - 2.f : h - 1.f;
        break;
    }
    setPosition(Vector(x, y));
    location = new_location;
    markAttribute(APPEARANCE);
}

void ViewObject::setDrawValue(bool new_draw_value) {
    if (new_draw_value == draw_value)
        return;
    draw_value = new_draw_value;
    markAttribute(APPEARANCE);
}

void ViewObject::setValue(int new_value) {
    if (new_value == value)
        return;
    value = new_value;
    markAttribute(VALUE);
}

void ViewObject::setBorder(bool new_border) {
    if (new_border == border)
        return;
    border = new_border;
    markAttribute(APPEARANCE);
    if (location != UNDEFINED_LOCATION)
        setLocation(location);
}

void ViewObject::setColor(Color new_color) {
    if (new_color == color)
        return;
    color = new_color;
    markAttribute(APPEARANCE);
}

void ViewObject::setViewString(std::string new_view_string) {
    if (new_view_string == view_string)
        return;
    view_string = std::move(new_view_string);
    markAttribute(APPEARANCE);
}

int ViewObject::eventHandler(const Event *p_e) {
    if (p_e != nullptr && p_e->getType() == VIEW_EVENT) {
        const EventView *p_ve = dynamic_cast<const EventView *>(p_e);
        if (p_ve == nullptr || p_ve->getTag() != view_string)
            return 0;
        if (p_ve->getDelta())
            setValue(value + p_ve->getValue());
        else
            setValue(p_ve->getValue());
        return 1;
    }
    return Object::eventHandler(p_e);
}

int ViewObject::draw() {
    std::string temp;
    if (border) {
        temp = " " + view_string + " ";
        if (draw_value)
            temp += std::to_string(value) + " ";
    } else {
        temp = view_string;
        if (draw_value)
            temp += " " + std::to_string(value);
    }
    DisplayManager &dm = DisplayManager::getInstance();
    const Vector pos = viewToWorld(getPosition());
    int result = dm.drawString(pos, temp, JUSTIFY_CENTER, color);
    if (!border)
        return result;
    const std::string dashes(temp.size(), '-');
    result += dm.drawString(Vector(pos.getX(), pos.getY() - 1), dashes, JUSTIFY_CENTER, color);
    result += dm.drawString(Vector(pos.getX(), pos.getY() + 1), dashes, JUSTIFY_CENTER, color);
    const float half = static_cast<float>(temp.size() / 2);
    const float n = static_cast<float>(temp.size());
    result += dm.drawCharacter(Vector(pos.getX() - half - 1, pos.getY()), '|', color);
    result += dm.drawCharacter(Vector(pos.getX() - half + n, pos.getY()), '|', color);
    return result;
}

int ViewObject::serialize(std::stringstream *p_ss, unsigned int attr) {
    if (p_ss == nullptr)
        return -1;
    const LogManager &log = LogManager::getInstance();
    log.writeLog(20, "ViewObject::serialize(): serializing attributes");
    log.writeLog(20, "ViewObject::serialize(): attr is %u, modified is %u (%s)", attr, getModified(),
                 isModified() ? "true" : "false");
    Object::serialize(p_ss, attr);
    // The object's part clears only its own bits, so the view bits still say what changed.
    const unsigned int mask = attr != 0 ? attr : getModified();
    unsigned int written = 0;
    if (mask & VALUE) {
        log.writeLog(25, "\tVALUE");
        Record::write(p_ss, value);
        written |= VALUE;
    }
    if (mask & APPEARANCE) {
        log.writeLog(25, "\tAPPEARANCE");
        Record::writeText(p_ss, view_string);
        log.writeLog(25, "\tVIEW_STRING: %s", view_string.c_str());
        Record::writeBool(p_ss, border);
        log.writeLog(25, "\tBORDER: %s", border ? "true" : "false");
        Record::write(p_ss, static_cast<int>(color));
        log.writeLog(25, "\tCOLOR: %s", colorToString(color).c_str());
        Record::write(p_ss, static_cast<int>(location));
        log.writeLog(25, "\tLOCATION: %s", locationToString(location).c_str());
        Record::writeBool(p_ss, draw_value);
        log.writeLog(25, "\tDRAW_VALUE: %s", draw_value ? "true" : "false");
        written |= APPEARANCE;
    }
    setModified(getModified() & ~written);
    return checkStream("ViewObject::serialize()", p_ss);
}

int ViewObject::deserialize(std::stringstream *p_ss, unsigned int *p_a) {
    const LogManager &log = LogManager::getInstance();
    unsigned int local_mask = 0;
    unsigned int &mask = p_a != nullptr ? *p_a : local_mask;
    const int result = Object::deserialize(p_ss, &mask);
    if (result != 0) {
        log.writeLog("ViewObject::deserialize(): Error calling Object::deserialize().");
        return result;
    }
    log.writeLog(20, "ViewObject::deserialize(): attr %u (%s)", mask, bitsToString(mask).c_str());
    // As in the object's part, a value is applied only when it was read whole.
    int number = 0;
    if ((mask & VALUE) && Record::read(p_ss, number)) {
        setValue(number);
        log.writeLog(25, "\tVALUE: %d", value);
    }
    if (mask & APPEARANCE) {
        std::uint64_t length = 0;
        if (Record::read(p_ss, length)) {
            std::string text;
            if (Record::readChars(p_ss, length, text)) {
                setViewString(text);
                log.writeLog(25, "\tVIEW_STRING: %s", view_string.c_str());
            } else {
                log.writeLog("ViewObject::deserialize(): Error! Cannot allocate %d bytes.",
                             Record::lengthForLog(length));
                Record::fail(p_ss);
            }
        }
        bool flag = false;
        if (Record::readBool(p_ss, flag)) {
            setBorder(flag);
            log.writeLog(25, "\tBORDER: %s", border ? "true" : "false");
        }
        if (Record::read(p_ss, number)) {
            // An unknown color number from outside keeps the current color.
            if (number >= BLACK && number <= CUSTOM)
                setColor(static_cast<Color>(number));
            log.writeLog(25, "\tCOLOR: %s", colorToString(color).c_str());
        }
        if (Record::read(p_ss, number)) {
            if (number >= UNDEFINED_LOCATION && number <= BOTTOM_RIGHT)
                setLocation(static_cast<ViewObjectLocation>(number));
            else
                // Converting an unknown number to the enumeration is undefined, so the setter's warning is given here.
                log.writeLog("ViewObject::setLocation(): Warning! Location out of range (%d). Ignored.", number);
            log.writeLog(25, "\tLOCATION: %s", locationToString(location).c_str());
        }
        if (Record::readBool(p_ss, flag)) {
            setDrawValue(flag);
            log.writeLog(25, "\tDRAW_VALUE: %s", draw_value ? "true" : "false");
        }
    }
    // Applying the view part marks bits again; what was just read is not a change to send back.
    setModified(0);
    log.writeLog(20, "ViewObject::deserialize(): done checking all types.");
    return checkStream("ViewObject::deserialize()", p_ss);
}

} // namespace nv
