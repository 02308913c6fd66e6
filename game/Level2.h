#pragma once

#include "world/Object.h"

class Glyphcage;

/// The vents: two maze sections crawled before the boiler turns on.
class Level2 : public nv::Object {
public:
    /// Shows the title, starts the boiler timer and builds the first section.
    explicit Level2(Glyphcage *new_controller);
    ~Level2() override;

    /// On "next section" takes the section down and builds the next one or completes the level; 1 when used.
    int eventHandler(const nv::Event *p_e) override;

    /// Marks every object of the current section for deletion.
    void clearSection();

    /// The section being crawled, from 1.
    int getSection() const { return section; }
    /// Number of sections in the level.
    int getSectionCount() const { return section_count; }

private:
    int section;
    int section_count;
    Glyphcage *controller;
};
