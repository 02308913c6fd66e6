#pragma once

namespace nv {
class Object;
}
class Glyphcage;

/// Issues the game's 36 sprite loads in their fixed order; failures are left to the resource manager's log.
void loadResources();
/// Loads the shark and lightning sounds; failures are left to the resource manager's log.
void loadSounds();
/// Creates the cell for the controller.
nv::Object *createLevel1(Glyphcage *p_controller);
/// Creates the vents for the controller.
nv::Object *createLevel2(Glyphcage *p_controller);
/// Creates the sea for the controller.
nv::Object *createLevel3(Glyphcage *p_controller);
/// Connects the three levels to the controller.
void connectLevels(Glyphcage *p_controller);
/// Starts the engine with the log flushed per line; 0, or 1 (after logging and shutting down) when it cannot start.
int startEngine();
/// Shows the splash screen, then loads every sprite and sound.
void prepareGame();
/// The whole program: start, splash, resources, controller, loop, shut down; the exit status.
int runGlyphcage();
