// Hello, Norvantis: move the @ with the arrow keys, bump into the walls, Escape quits.
// "hello 300" lets the @ walk by itself and ends after 300 steps; with headless:true in the configuration
// no window is opened, which is how the build checks it runs.
#include <cstdlib>
#include <fstream>

#include "Norvantis.h"

namespace {

// A tenth of a second of square wave, written at start so that the example needs no sound file of its own.
void writeBeep(const char *file_name) {
    std::ofstream out(file_name, std::ios::binary);
    const auto put = [&out](unsigned long value, int bytes) {
        for (int i = 0; i < bytes; i++)
            out.put(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    out << "RIFF";
    put(36 + 800, 4);
    out << "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(8000, 4), put(1, 2), put(8, 2); // 8000 Hz, mono, 8 bits
    out << "data";
    put(800, 4);
    for (int i = 0; i < 800; i++)
        put((i / 8) % 2 != 0 ? 160 : 96, 1);
}

// Walls are hard objects (the default), so the world manager stops whatever runs into them.
class Wall : public nv::Object {
public:
    explicit Wall(nv::Vector where) {
        setType("Wall");
        setPosition(where);
    }
    int draw() override { return nv::DisplayManager::getInstance().drawCharacter(getPosition(), '#', nv::BLUE); }
};

class Hero : public nv::Object {
public:
    explicit Hero(int steps) : steps_left(steps) {
        setType("Hero");
        setPosition(nv::Vector(40, 12));
        registerInterest(nv::KEYBOARD_EVENT);
        registerInterest(nv::STEP_EVENT);
    }
    int draw() override { return nv::DisplayManager::getInstance().drawCharacter(getPosition(), '@', nv::YELLOW); }
    int eventHandler(const nv::Event *p_e) override {
        if (p_e->getType() == nv::KEYBOARD_EVENT) {
            const auto *p_key = static_cast<const nv::EventKeyboard *>(p_e);
            if (p_key->getKeyboardAction() != nv::KEY_PRESSED)
                return 0;
            const nv::Key key = p_key->getKey();
            if (key == nv::ESCAPE)
                nv::GameManager::getInstance().setGameOver();
            const float dx = key == nv::LEFTARROW ? -1.0f : key == nv::RIGHTARROW ? 1.0f : 0.0f;
            const float dy = key == nv::UPARROW ? -1.0f : key == nv::DOWNARROW ? 1.0f : 0.0f;
            return key == nv::ESCAPE || ((dx != 0 || dy != 0) && walk(nv::Vector(dx, dy)));
        }
        if (p_e->getType() == nv::STEP_EVENT && steps_left > 0) {
            if (--steps_left == 0)
                nv::GameManager::getInstance().setGameOver();
            return walk(heading);
        }
        if (p_e->getType() == nv::COLLISION_EVENT) {
            // The wall stops the move; the hero answers with a beep, a count on the HUD and a turn.
            nv::Sound *p_beep = nv::ResourceManager::getInstance().getSound("bump");
            if (p_beep != nullptr)
                p_beep->play();
            nv::EventView bumped("Bumps", 1, true);
            nv::WorldManager::getInstance().onEvent(&bumped);
            nv::LogManager::getInstance().writeLog("Hello: bumped into a wall (%d so far)", ++bumps);
            heading = nv::Vector(-heading.getX(), -heading.getY());
            return 1;
        }
        return 0;
    }

private:
    int walk(nv::Vector delta) { return nv::WorldManager::getInstance().moveObject(this, getPosition() + delta) == 0; }
    int steps_left;
    int bumps = 0;
    nv::Vector heading = nv::Vector(1, 0);
};

} // namespace

int main(int argc, char *argv[]) {
    nv::GameManager &game = nv::GameManager::getInstance();
    if (game.startUp() != 0) { // the reason is already on standard error and in the log
        game.shutDown();
        return 1;
    }
    writeBeep("hello-bump.wav");
    nv::ResourceManager::getInstance().loadSound("hello-bump.wav", "bump");
    // The world manager owns every object made with new, and deletes them at shutDown().
    for (int x = 0; x < 80; x++) {
        new Wall(nv::Vector(x, 1));
        new Wall(nv::Vector(x, 23));
    }
    for (int y = 2; y < 23; y++) {
        new Wall(nv::Vector(0, y));
        new Wall(nv::Vector(79, y));
    }
    auto *p_hud = new nv::ViewObject;
    p_hud->setViewString("Bumps");
    p_hud->setBorder(false);
    p_hud->setLocation(nv::TOP_LEFT);
    new Hero(argc > 1 ? std::atoi(argv[1]) : 0);
    game.run();
    game.shutDown();
    return 0;
}
