#include "display/SplashNorvantis.h"

#include "core/EventStep.h"
#include "core/GameManager.h"
#include "input/EventKeyboard.h"
#include "world/WorldManager.h"

namespace nv {

namespace {

const int FLYING_WIDTH = 11;
const int FLYING_HEIGHT = 7;
const int RESTING_WIDTH = 9;
const int RESTING_HEIGHT = 6;

// Seen from above: round head, wings of #, body of |; the two frames flap the wings.
const char *const WINGS_OUT = "    (O)    "
                              "#### | ####"
                              " ####|#### "
                              "  ## | ##  "
                              "     |     "
                              "     |     "
                              "    / \\    ";
const char *const WINGS_UP = "  # (O) #  "
                             "  ## | ##  "
                             "  ###|###  "
                             "   ##|##   "
                             "     |     "
                             "     |     "
                             "    / \\    ";

// Smaller, wings folded.
const char *const RESTING = "   (O)   "
                            "  ##|##  "
                            "  ##|##  "
                            "   #|#   "
                            "    |    "
                            "   / \\   ";

} // namespace

SplashNorvantis::SplashNorvantis(Vector new_target)
    : target(new_target), countdown(30), sprite(std::make_unique<Sprite>(2)) {
    sprite->setLabel("splash-norvantis");
    sprite->setWidth(FLYING_WIDTH);
    sprite->setHeight(FLYING_HEIGHT);
    sprite->setColor(BLUE);
    sprite->setSlowdown(2);
    // Blanks show through, so the end of the name stays readable beside the landed insect.
    sprite->setTransparency(' ');
    sprite->pushFrame(Frame(FLYING_WIDTH, FLYING_HEIGHT, WINGS_OUT));
    sprite->pushFrame(Frame(FLYING_WIDTH, FLYING_HEIGHT, WINGS_UP));
    Animation anim;
    anim.setSprite(sprite.get());
    setAnimation(anim, true);

    setType("SplashNorvantis");
    setSolidness(SPECTRAL);

    const Box view = WorldManager::getInstance().getView();
    const Vector start(target.getX(), view.getCorner().getY() + view.getVertical() + 6);
    setPosition(start);
    setVelocity(Vector(0, -(start.getY() - target.getY()) / 30));

    registerInterest(STEP_EVENT);
    registerInterest(KEYBOARD_EVENT);
}

SplashNorvantis::~SplashNorvantis() {
    unregisterInterest(STEP_EVENT);
    unregisterInterest(KEYBOARD_EVENT);
    sprite.reset();
}

int SplashNorvantis::eventHandler(const Event *p_e) {
    GameManager &game_manager = GameManager::getInstance();
    WorldManager &world_manager = WorldManager::getInstance();
    if (game_manager.getGameOver()) {
        world_manager.markForDelete(this);
        return 0;
    }
    if (p_e->getType() == KEYBOARD_EVENT) {
        game_manager.setGameOver(true);
        world_manager.markForDelete(this);
        return 1;
    }
    if (p_e->getType() == STEP_EVENT) {
        countdown--;
        if (countdown < 1 && getPosition().getY() <= target.getY())
            setVelocity(Vector(0, 0));
        if (countdown == -15) {
            auto resting = std::make_unique<Sprite>(1);
            resting->setLabel("splash-norvantis");
            resting->setWidth(RESTING_WIDTH);
            resting->setHeight(RESTING_HEIGHT);
            resting->setColor(GREEN);
            resting->setTransparency(' ');
            resting->pushFrame(Frame(RESTING_WIDTH, RESTING_HEIGHT, RESTING));
            Animation anim;
            anim.setSprite(resting.get());
            setAnimation(anim, true);
            sprite = std::move(resting);
            setPosition(Vector(getPosition().getX() - 1, getPosition().getY()));
        }
        if (countdown == -45) {
            game_manager.setGameOver(true);
            world_manager.markForDelete(this);
        }
        return 1;
    }
    return 0;
}

} // namespace nv
