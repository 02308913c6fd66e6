#include "GameStart.h"

#include "Glyphcage.h"
#include "Level1.h"
#include "Level2.h"
#include "Level3.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "display/Splash.h"
#include "resources/ResourceManager.h"

namespace {
struct SpriteEntry {
    const char *label;
    const char *file;
};

const SpriteEntry SPRITES[] = {
    {"player", "sprites/player-spr.txt"},
    {"vent", "sprites/vent-spr.txt"},
    {"bars", "sprites/bars-spr.txt"},
    {"toilet", "sprites/toilet-spr.txt"},
    {"guard", "sprites/guard-spr.txt"},
    {"vents1_AL", "sprites/vents1_AL.txt"},
    {"vents1_AR", "sprites/vents1_AR.txt"},
    {"vents1_BL", "sprites/vents1_BL.txt"},
    {"vents1_BR", "sprites/vents1_BR.txt"},
    {"vents1_C", "sprites/vents1_C.txt"},
    {"vents1_DL", "sprites/vents1_DL.txt"},
    {"vents1_DR", "sprites/vents1_DR.txt"},
    {"vents1_E", "sprites/vents1_E.txt"},
    {"vents1_F", "sprites/vents1_F.txt"},
    {"vents2_A", "sprites/vents2_A.txt"},
    {"vents2_B", "sprites/vents2_B.txt"},
    {"vents2_C", "sprites/vents2_C.txt"},
    {"vents2_D", "sprites/vents2_D.txt"},
    {"vents2_E", "sprites/vents2_E.txt"},
    {"vents2_F", "sprites/vents2_F.txt"},
    {"vents2_G", "sprites/vents2_G.txt"},
    {"vents2_H", "sprites/vents2_H.txt"},
    {"clue_fork", "sprites/clue_fork.txt"},
    {"clue_smile", "sprites/clue_smile.txt"},
    {"clue_can", "sprites/clue_can.txt"},
    {"clue_arrow", "sprites/clue_arrow.txt"},
    {"v_prisoner_up", "sprites/v_prisoner_up.txt"},
    {"v_prisoner_down", "sprites/v_prisoner_down.txt"},
    {"v_prisoner_right", "sprites/v_prisoner_right.txt"},
    {"v_prisoner_left", "sprites/v_prisoner_left.txt"},
    {"raft", "sprites/raft-spr.txt"},
    {"raft-hit", "sprites/raft-hit-spr.txt"},
    {"danger-warning", "sprites/danger-warning-spr.txt"},
    {"shark", "sprites/shark-spr.txt"},
    {"cloud", "sprites/cloud-spr.txt"},
    {"lightning", "sprites/lightning-spr.txt"},
};
} // namespace

void loadResources() {
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    for (const SpriteEntry &entry : SPRITES) {
        resource_manager.loadSprite(entry.file, entry.label);
    }
}

void loadSounds() {
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    resource_manager.loadSound("sounds/shark.wav", "shark");
    resource_manager.loadSound("sounds/lightning.wav", "lightning");
}

nv::Object *createLevel1(Glyphcage *p_controller) {
    return new Level1(p_controller);
}

nv::Object *createLevel2(Glyphcage *p_controller) {
    return new Level2(p_controller);
}

nv::Object *createLevel3(Glyphcage *p_controller) {
    return new Level3(p_controller);
}

void connectLevels(Glyphcage *p_controller) {
    p_controller->setLevelCreator(0, createLevel1);
    p_controller->setLevelCreator(1, createLevel2);
    p_controller->setLevelCreator(2, createLevel3);
}

int startEngine() {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    if (game_manager.startUp() != 0) {
        nv::LogManager::getInstance().writeLog("Error starting game manager!");
        game_manager.shutDown();
        return 1;
    }
    nv::LogManager::getInstance().setFlush(true);
    return 0;
}

void prepareGame() {
    nv::splash();
    loadResources();
    loadSounds();
}

int runGlyphcage() {
    if (startEngine() != 0) {
        return 1;
    }
    prepareGame();
    connectLevels(new Glyphcage());
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    game_manager.run();
    game_manager.shutDown();
    return 0;
}
