#pragma once

#include <sstream>
#include <string>

#include "world/Box.h"
#include "world/Vector.h"

namespace nv {

class Object;

/// True when min <= value <= max.
bool inRange(float value, float min, float max);
/// True when the point lies in the box, both edges included.
bool boxContainsPoint(Box box, Vector point);
/// True when the boxes overlap on both axes; touching edges or corners count.
bool boxesOverlap(Box a, Box b);
/// Euclidean distance between two points.
float distanceBetween(Vector p1, Vector p2);
/// The object's box moved to its position, in world coordinates.
Box worldBox(const Object *p_o);
/// The object's box as if the object stood at where.
Box worldBox(const Object *p_o, Vector where);
/// 0 when the stream is good; otherwise logs one line naming label and returns -1.
int checkStream(std::string label, const std::stringstream *p_ss);
/// The 32 bits of value as '0'/'1' characters, most significant first.
std::string bitsToString(unsigned int value);
/// The float as a default-formatted stream writes it.
std::string floatToString(float value);
/// Unit direction (components -1, 0 or 1) of the side of p_o2 that moving p_o1 touches; (0,0) when none.
Vector getNormal(const Object *p_o1, const Object *p_o2);

} // namespace nv
