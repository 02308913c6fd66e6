#include "EventEscaping.h"

EventEscaping::EventEscaping() {
    setType(ESCAPE_EVENT);
}
