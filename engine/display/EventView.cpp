#include "display/EventView.h"

namespace nv {

EventView::EventView() : tag(), value(0), delta(false) {
    setType(VIEW_EVENT);
}

EventView::EventView(std::string new_tag, int new_value, bool new_delta)
    : tag(std::move(new_tag)), value(new_value), delta(new_delta) {
    setType(VIEW_EVENT);
}

} // namespace nv
