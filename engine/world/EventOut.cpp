#include "world/EventOut.h"

namespace nv {

EventOut::EventOut() {
    setType(OUT_EVENT);
}

} // namespace nv
