#include "CrawlPathFind.h"

#include <cmath>

#include "world/Object.h"
#include "world/WorldManager.h"

namespace {
int cellOf(float coordinate) {
    return static_cast<int>(std::lround(coordinate));
}
} // namespace

CrawlPathFind::CrawlPathFind(nv::Object *p_prisoner, nv::Object *p_exit)
    : nv::PathFind(p_prisoner, cellOf(p_prisoner->getPosition().getX()), cellOf(p_prisoner->getPosition().getY()),
                   cellOf(p_exit->getPosition().getX()), cellOf(p_exit->getPosition().getY()), p_exit) {}

bool CrawlPathFind::isBlocked(int x, int y) const {
    const nv::Box boundary = nv::WorldManager::getInstance().getBoundary();
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    if (!(fx > 3 && fy > 3 && fx < boundary.getHorizontal() && fy < boundary.getVertical())) {
        return true;
    }
    return nv::PathFind::isBlocked(x, y);
}
