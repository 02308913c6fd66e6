#include "world/EventOut.h"

namespace nv {

EventOut::EventOut() {
    setType("nv-out");
}

} // namespace nv
