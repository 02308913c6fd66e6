#include "world/ObjectListIterator.h"

namespace nv {

void ObjectListIterator::setList(const ObjectList *p_l) {
    list = p_l;
    index = 0;
}

} // namespace nv
