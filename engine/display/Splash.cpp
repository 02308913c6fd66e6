#include "display/Splash.h"

#include "core/EventStep.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "display/SplashNorvantis.h"
#include "input/EventKeyboard.h"
#include "world/WorldManager.h"

namespace nv {

namespace {

const int TITLE_WIDTH = 47;
const int TITLE_HEIGHT = 8;

// Frame 0: the name drawn with slashes and underscores.
const char *const TITLE_LINES = "                                               "
                                " _  _  __   __  _  _  __  _  _ ____ ___   ___  "
                                " |\\ | /  \\ |  \\ |  | /  \\ |\\ |  ||   |   /     "
                                " | \\| |  | |__/ |  | |__| | \\|  ||   |   \\__   "
                                " |  | |  | | \\  \\  / |  | |  |  ||   |      \\  "
                                " |  | \\__/ |  \\  \\/  |  | |  |  ||  _|_  ___/  "
                                "                                               "
                                "  ===========================================  ";

// Frame 1: the same name in blocky letters.
const char *const TITLE_BLOCKS = "                                               "
                                 " #  #  ##  ###  #  #  ##  #  # #### ####  ###  "
                                 " ## # #  # #  # #  # #  # ## #  ##   ##  #     "
                                 " ## # #  # #  # #  # #  # ## #  ##   ##   ##   "
                                 " # ## #  # ###  #  # #### # ##  ##   ##     #  "
                                 " # ## #  # # #   ##  #  # # ##  ##   ##     #  "
                                 " #  #  ##  #  #  ##  #  # #  #  ##  #### ###   "
                                 "  ===========================================  ";

} // namespace

int splash() {
    LogManager &log = LogManager::getInstance();
    log.writeLog(10, "splash(): Started.");
    GameManager &game_manager = GameManager::getInstance();
    if (!game_manager.isStarted()) {
        log.writeLog("splash(): Error! Cannot run splash screen until game manger is started.");
        return -1;
    }
    new Splash;
    game_manager.run();
    log.writeLog(10, "splash(): Finished.");
    return 0;
}

Splash::Splash() : countdown(15), sprite(std::make_unique<Sprite>(2)) {
    sprite->setLabel("splash");
    sprite->setWidth(TITLE_WIDTH);
    sprite->setHeight(TITLE_HEIGHT);
    sprite->setColor(GREEN);
    sprite->setSlowdown(1);
    sprite->setTransparency(0);
    sprite->pushFrame(Frame(TITLE_WIDTH, TITLE_HEIGHT, TITLE_LINES));
    sprite->pushFrame(Frame(TITLE_WIDTH, TITLE_HEIGHT, TITLE_BLOCKS));
    Animation anim;
    anim.setSprite(sprite.get());
    anim.setSlowdownCount(-1);
    setAnimation(anim, true);

    setType("Splash");
    setSolidness(SPECTRAL);

    const Box view = WorldManager::getInstance().getView();
    const float w = view.getHorizontal();
    const float h = view.getVertical();
    const Vector corner = view.getCorner();
    setPosition(Vector(corner.getX() + w + TITLE_WIDTH * 0.5f, corner.getY() + h * 0.5f));
    int divisor = GameManager::getInstance().getFrameTime() / 2;
    // Frame times under 2 ms would divide by zero; the title then crosses in the fewest steps.
    if (divisor < 1)
        divisor = 1;
    setVelocity(Vector(-(w * 0.5f + TITLE_WIDTH * 0.5f + 11) / static_cast<float>(divisor), 0));

    registerInterest(STEP_EVENT);
    registerInterest(KEYBOARD_EVENT);
}

Splash::~Splash() {
    unregisterInterest(STEP_EVENT);
    unregisterInterest(KEYBOARD_EVENT);
    sprite.reset();
}

int Splash::eventHandler(const Event *p_e) {
    GameManager &game_manager = GameManager::getInstance();
    WorldManager &world_manager = WorldManager::getInstance();
    if (game_manager.getGameOver()) {
        world_manager.markForDelete(this);
        return 0;
    }
    if (p_e->getType() == KEYBOARD_EVENT) {
        game_manager.setGameOver(true);
        world_manager.markForDelete(this);
        return 0;
    }
    if (p_e->getType() == STEP_EVENT) {
        countdown--;
        if (countdown == 0) {
            Animation anim = getAnimation();
            anim.setIndex(1);
            setAnimation(anim, false);
            setVelocity(Vector(0, 0));
            const Vector here = getPosition();
            new SplashNorvantis(Vector(here.getX() + 24, here.getY() + 1));
        }
        if (countdown == -75)
            world_manager.markForDelete(this);
        return 1;
    }
    return 0;
}

} // namespace nv
