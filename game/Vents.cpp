#include "Vents.h"

#include "Clue.h"
#include "Exit.h"
#include "Prisoner.h"
#include "VentPart.h"

namespace {

struct Piece {
    const char *label;
    float x;
    float y;
};

// Wall pieces by the top-left corner of their picture, then clues by their centre, in creation order.
const Piece SECTION1_WALLS[] = {
    {"vents1_AL", 2, 19}, {"vents1_AR", 42, 19}, {"vents1_BL", 2, 10}, {"vents1_BR", 42, 10}, {"vents1_C", 6, 2},
    {"vents1_C", 42, 2},  {"vents1_DL", 0, 0},   {"vents1_DR", 78, 0}, {"vents1_E", 2, 0},    {"vents1_F", 38, 22},
};
const Piece SECTION1_CLUES[] = {{"clue_can", 4, 8}, {"clue_fork", 40, 11}};
const Piece SECTION2_WALLS[] = {
    {"vents2_A", 6, 18}, {"vents2_B", 2, 8}, {"vents2_C", 74, 2}, {"vents2_D", 74, 18},
    {"vents2_E", 0, 2},  {"vents2_F", 0, 4}, {"vents2_G", 2, 22}, {"vents2_H", 78, 14},
};
const Piece SECTION2_CLUES[] = {{"clue_smile", 66, 16}, {"clue_arrow", 38, 16}};

template <std::size_t W, std::size_t C> void createPieces(const Piece (&walls)[W], const Piece (&clues)[C]) {
    for (const Piece &piece : walls) {
        new VentPart(piece.label, nv::Vector(piece.x, piece.y));
    }
    for (const Piece &piece : clues) {
        new Clue(piece.label, nv::Vector(piece.x, piece.y));
    }
}

} // namespace

Vents::Vents(int new_section, int new_prisoner_x, int new_prisoner_y, int new_exit_x, int new_exit_y)
    : section(new_section), prisoner_x(new_prisoner_x), prisoner_y(new_prisoner_y), exit_x(new_exit_x),
      exit_y(new_exit_y) {
    setType("Vents");
    setSolidness(nv::SPECTRAL);
    setPosition(nv::Vector(0, 0));
}

Vents::~Vents() {}

void Vents::populate() {
    new Prisoner(prisoner_x, prisoner_y);
    new Exit(exit_x, exit_y);
    if (section == 1) {
        createPieces(SECTION1_WALLS, SECTION1_CLUES);
    } else if (section == 2) {
        createPieces(SECTION2_WALLS, SECTION2_CLUES);
    }
}

Vents *Vents::build(int section_number) {
    Vents *p_vents = nullptr;
    if (section_number == 1) {
        p_vents = new Vents(1, 40, 20, 3, 4);
    } else if (section_number == 2) {
        p_vents = new Vents(2, 72, 21, 4, 22);
    } else {
        return nullptr;
    }
    p_vents->populate();
    return p_vents;
}
