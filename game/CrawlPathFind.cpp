#include "CrawlPathFind.h"

#include <cmath>

#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
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
    // Unlike the general search, a wall whose box holds the exit still blocks: the prisoner's move would be
    // refused there all the same.
    nv::ObjectList in_the_way = nv::WorldManager::getInstance().getCollisions(getObject(), nv::Vector(fx, fy));
    for (nv::ObjectListIterator it(&in_the_way); !it.isDone(); it.next()) {
        if (it.currentObject()->getSolidness() == nv::HARD) {
            return true;
        }
    }
    return false;
}
