#pragma once

#include "world/Object.h"

/// One maze section of the vents: knows where its prisoner starts and where its exit lies, and builds them.
class Vents : public nv::Object {
public:
    /// A spectral marker at (0, 0) for a section; nothing is built until populate().
    Vents(int new_section, int new_prisoner_x, int new_prisoner_y, int new_exit_x, int new_exit_y);
    ~Vents() override;

    /// Creates the prisoner, the exit, and the section's wall pieces and clues.
    void populate();

    /// Creates and populates section 1 or 2 with its fixed layout; null (nothing built) for any other number.
    static Vents *build(int section_number);

    /// The section number.
    int getSection() const { return section; }
    /// Column where the prisoner starts.
    int getPrisonerX() const { return prisoner_x; }
    /// Row where the prisoner starts.
    int getPrisonerY() const { return prisoner_y; }
    /// Column of the exit cell.
    int getExitX() const { return exit_x; }
    /// Row of the exit cell.
    int getExitY() const { return exit_y; }

private:
    int section;
    int prisoner_x;
    int prisoner_y;
    int exit_x;
    int exit_y;
};
