#include "world/utility.h"

#include <cmath>

#include "core/LogManager.h"
#include "world/Object.h"

namespace nv {

bool inRange(float value, float min, float max) {
    return min <= value && value <= max;
}

bool boxContainsPoint(Box box, Vector point) {
    const Vector corner = box.getCorner();
    return inRange(point.getX(), corner.getX(), corner.getX() + box.getHorizontal()) &&
           inRange(point.getY(), corner.getY(), corner.getY() + box.getVertical());
}

bool boxesOverlap(Box a, Box b) {
    const float ax = a.getCorner().getX();
    const float ay = a.getCorner().getY();
    const float bx = b.getCorner().getX();
    const float by = b.getCorner().getY();
    const bool x_overlap = inRange(ax, bx, bx + b.getHorizontal()) || inRange(bx, ax, ax + a.getHorizontal());
    const bool y_overlap = inRange(ay, by, by + b.getVertical()) || inRange(by, ay, ay + a.getVertical());
    return x_overlap && y_overlap;
}

float distanceBetween(Vector p1, Vector p2) {
    const float dx = p1.getX() - p2.getX();
    const float dy = p1.getY() - p2.getY();
    return std::sqrt(dx * dx + dy * dy);
}

Box worldBox(const Object *p_o) {
    return worldBox(p_o, p_o->getPosition());
}

Box worldBox(const Object *p_o, Vector where) {
    Box box = p_o->getBox();
    box.setCorner(box.getCorner() + where);
    return box;
}

int checkStream(std::string label, const std::stringstream *p_ss) {
    if (p_ss == nullptr) {
        LogManager::getInstance().writeLog("%s: Error! Stream bad.", label.c_str());
        return -1;
    }
    if (p_ss->good()) {
        return 0;
    }
    if (p_ss->eof()) {
        LogManager::getInstance().writeLog("%s: Error! Stream eof.", label.c_str());
    } else if (p_ss->fail()) {
        LogManager::getInstance().writeLog("%s: Error! Stream fail.", label.c_str());
    } else if (p_ss->bad()) {
        LogManager::getInstance().writeLog("%s: Error! Stream bad.", label.c_str());
    } else {
        LogManager::getInstance().writeLog("%s: Error! Stream error.", label.c_str());
    }
    return -1;
}

std::string bitsToString(unsigned int value) {
    std::string bits(32, '0');
    for (int i = 0; i < 32; i++) {
        if ((value >> (31 - i)) & 1u) {
            bits[static_cast<std::string::size_type>(i)] = '1';
        }
    }
    return bits;
}

std::string floatToString(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

Vector getNormal(const Object *p_o1, const Object *p_o2) {
    const Box b2 = worldBox(p_o2);
    const Vector start = p_o1->getPosition();
    const Vector velocity = p_o1->getVelocity();

    // Bisect along the velocity for the last position that does not touch b2.
    Vector safe = start;
    float t = 0.5f;
    for (int r = 1; r <= 7; r++) {
        Vector step = velocity;
        step.scale(t);
        const Vector test = start + step;
        const float change = std::pow(0.5f, static_cast<float>(r));
        if (!boxesOverlap(worldBox(p_o1, test), b2)) {
            safe = test;
            t += change;
        } else {
            t -= change;
        }
    }
    const Box b1 = worldBox(p_o1, safe);

    const float w = b2.getHorizontal();
    const float h = b2.getVertical();
    const Vector corner = b2.getCorner();
    static const int sides[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto &side : sides) {
        const Vector offset(static_cast<float>(side[0]) * w, static_cast<float>(side[1]) * h);
        if (boxesOverlap(b1, Box(corner + offset, w, h))) {
            return Vector(static_cast<float>(side[0]), static_cast<float>(side[1]));
        }
    }
    LogManager::getInstance().writeLog(1, "getNormal(): No collision detected. Returning (0,0).");
    return Vector(0.0f, 0.0f);
}

} // namespace nv
