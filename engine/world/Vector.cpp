#include "world/Vector.h"

#include <cmath>

#include "world/utility.h"

namespace nv {

Vector::Vector(float init_x, float init_y) : x(init_x), y(init_y) {}

Vector::Vector() : x(0.0f), y(0.0f) {}

void Vector::setXY(float new_x, float new_y) {
    x = new_x;
    y = new_y;
}

float Vector::getMagnitude() const {
    return std::sqrt(x * x + y * y);
}

void Vector::normalize() {
    const float length = getMagnitude();
    if (length > 0.0f) {
        x /= length;
        y /= length;
    }
}

void Vector::scale(float s) {
    x *= s;
    y *= s;
}

Vector Vector::operator+(const Vector &other) const {
    return Vector(x + other.x, y + other.y);
}

Vector Vector::operator-(const Vector &other) const {
    return Vector(x - other.x, y - other.y);
}

Vector &Vector::operator+=(const Vector &other) {
    x += other.x;
    y += other.y;
    return *this;
}

bool Vector::operator==(const Vector &other) const {
    return x == other.x && y == other.y;
}

bool Vector::operator!=(const Vector &other) const {
    return !(*this == other);
}

std::string Vector::toString() const {
    return "(" + floatToString(x) + "," + floatToString(y) + ")";
}

int Vector::serialize(std::stringstream *p_ss) const {
    if (p_ss == nullptr) {
        return -1;
    }
    p_ss->write(reinterpret_cast<const char *>(&x), sizeof(x));
    p_ss->write(reinterpret_cast<const char *>(&y), sizeof(y));
    return checkStream("Vector::serialize()", p_ss);
}

int Vector::deserialize(std::stringstream *p_ss) {
    if (p_ss == nullptr) {
        return -1;
    }
    float value = 0.0f;
    if (p_ss->read(reinterpret_cast<char *>(&value), sizeof(value))) {
        x = value;
        if (p_ss->read(reinterpret_cast<char *>(&value), sizeof(value))) {
            y = value;
        }
    }
    return checkStream("Vector::deserialize()", p_ss);
}

} // namespace nv
