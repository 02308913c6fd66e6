#include "EventNextSection.h"

EventNextSection::EventNextSection() {
    setType(NEXT_SECTION_EVENT);
}
