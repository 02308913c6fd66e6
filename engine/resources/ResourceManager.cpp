#include "resources/ResourceManager.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <new>
#include <sys/stat.h>

#include "core/LogManager.h"
#include "display/Color.h"
#include "display/Frame.h"
#include "display/SfmlBridge.h"
#include "display/Sprite.h"
#include "resources/SpriteFile.h"
#include "resources/TextNumber.h"

namespace nv {

namespace {

/// Bytes from the stream's position to its end, or -1 when the stream cannot tell.
std::int64_t bytesLeft(std::istream &file) {
    const std::istream::pos_type here = file.tellg();
    if (here == std::istream::pos_type(-1)) {
        return -1;
    }
    file.seekg(0, std::ios::end);
    const std::istream::pos_type end = file.tellg();
    file.seekg(here);
    if (end == std::istream::pos_type(-1)) {
        return -1;
    }
    return static_cast<std::int64_t>(end - here);
}

/// A frame array no larger than the data could ever fill: one more than that still gives the usual
/// end-of-data failure, while a header claiming millions of frames cannot force a huge allocation.
int frameCapacity(int frames, std::int64_t frames_possible) {
    if (frames <= 0) {
        return 0;
    }
    if (frames_possible >= 0 && frames_possible + 1 < frames) {
        return static_cast<int>(frames_possible + 1);
    }
    return frames;
}

/// Maps a lower-case color name (and "default" when allowed) to its Color; false when unknown.
bool colorFromName(const std::string &name, bool allow_default, Color &color) {
    static const char *const names[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};
    for (int i = 0; i < 8; i++) {
        if (name == names[i]) {
            color = static_cast<Color>(i);
            return true;
        }
    }
    if (allow_default && name == "default") {
        color = WHITE;
        return true;
    }
    return false;
}

} // namespace

ResourceManager::ResourceManager() : sprite_count(0), sound_count(0), music_count(0) {
    setType("ResourceManager");
    // Sounds left loaded at exit are destroyed with this manager and may report errors as they go.
    SfmlBridge::prepareErrorStream();
}

ResourceManager::~ResourceManager() = default;

ResourceManager &ResourceManager::getInstance() {
    static ResourceManager instance;
    return instance;
}

int ResourceManager::startUp() {
    const LogManager &log_manager = LogManager::getInstance();
    if (isStarted()) {
        log_manager.writeLog("%s::startup(): Warning! %s already started.", getType().c_str(), getType().c_str());
        return -1;
    }
    sprite_count = 0;
    sound_count = 0;
    music_count = 0;
    Manager::startUp();
    log_manager.writeLog(5, "RM::startUp(): successfully started.");
    return 0;
}

void ResourceManager::shutDown() {
    for (int i = 0; i < sprite_count; i++) {
        sprite[i].reset();
    }
    sprite_count = 0;
    for (int i = 0; i < sound_count; i++) {
        sound[i].stop();
    }
    for (int i = 0; i < music_count; i++) {
        music[i].stop();
    }
    // Freed here, while the audio library is whole, not among the statics destroyed at exit; every entry, since a
    // failed load or an earlier start may have left a buffer past the count.
    for (Sound &entry : sound) {
        entry.release();
    }
    for (Music &entry : music) {
        entry.release();
    }
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "RM::shutDown(): successfully stopped.");
}

int ResourceManager::loadSprite(std::string filename, std::string label) {
    const LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("%s not started!", getType().c_str());
        return -1;
    }
    if (sprite_count == MAX_SPRITES) {
        log_manager.writeLog("RM::loadRobustSprite(): Error! Cannot add more Sprites (max is %d).", MAX_SPRITES);
        log_manager.writeLog("RM::loadRobustSprite(): Sprite '%s' not loaded.", label.c_str());
        return -1;
    }
    log_manager.writeLog(1, "RM::loadSprite(): Loading sprite '%s'.", filename.c_str());

    // Only a regular file has an end to read up to: a directory, a device or a pipe is refused before opening.
    struct stat status {};
    if (stat(filename.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        log_manager.writeLog("RM::loadSprite(): Error! '%s' is not a regular file.", filename.c_str());
        log_manager.writeLog("RM::loadSprite(): Sprite '%s' not loaded.", label.c_str());
        return -1;
    }
    std::ifstream file(filename);
    if (!file.is_open()) {
        log_manager.writeLog("RM::loadSprite(): Error! Cannot open file '%s'.", filename.c_str());
        log_manager.writeLog("RM::loadSprite(): Sprite '%s' not loaded.", label.c_str());
        return -1;
    }

    line_number = 0;
    sprite_bytes_read = 0;
    const std::string first_line = getLine(file, false);
    if (file.bad()) {
        log_manager.writeLog("RM::loadSprite(): Sprite '%s' NOT loaded.", label.c_str());
        return -1;
    }
    file.clear();
    file.seekg(0);

    std::unique_ptr<Sprite> p_sprite;
    if (first_line == "<HEADER>") {
        log_manager.writeLog(5, "RM::loadSprite(): assuming robust sprite file format.");
        p_sprite = loadRobustSprite(file);
    } else if (textToInt(first_line) >= 1) {
        log_manager.writeLog(5, "RM::loadSprite(): assuming simple sprite file format.");
        p_sprite = loadSimpleSprite(file);
    } else {
        log_manager.writeLog("RM::loadSprite(): Error! Unknown sprite file format.");
        log_manager.writeLog("RM::loadSprite(): First line is '%s'.", first_line.c_str());
        log_manager.writeLog("RM::loadSprite(): Sprite '%s' NOT loaded.", label.c_str());
        return -1;
    }
    if (!p_sprite) {
        log_manager.writeLog("RM::loadSprite(): Sprite '%s' NOT loaded.", label.c_str());
        return -1;
    }

    p_sprite->setLabel(label);
    sprite[sprite_count] = std::move(p_sprite);
    const Sprite &loaded = *sprite[sprite_count];
    sprite_count++;

    // The frame dump costs a copy per row, so it is only built when it would be written.
    if (log_manager.getLogLevel() >= 15) {
        log_manager.writeLog(15, "RM::loadSprite(): Sprite '%s' frames:", label.c_str());
        const int width = loaded.getWidth();
        for (int i = 0; i < loaded.getFrameCount(); i++) {
            log_manager.writeLog(15, "\tFrame %d:", i + 1);
            const std::string frame_str = loaded.getFrame(i).getString();
            for (int row = 0; row < loaded.getHeight(); row++) {
                const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
                const std::string piece = start < frame_str.size() ? frame_str.substr(start, width) : "";
                log_manager.writeLog(15, "\t%s", piece.c_str());
            }
        }
    }
    log_manager.writeLog(5, "RM::loadSprite(): Sprite '%s' loaded.", label.c_str());
    return 0;
}

Sprite *ResourceManager::getSprite(std::string label) const {
    const LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog(5, "RM::getSprite(): Looking for sprite '%s'.", label.c_str());
    for (int i = 0; i < sprite_count; i++) {
        if (sprite[i]->getLabel() == label) {
            return sprite[i].get();
        }
    }
    log_manager.writeLog("RM::getSprite(): Warning! Sprite '%s' not found.", label.c_str());
    return nullptr;
}

int ResourceManager::loadSound(std::string filename, std::string label) {
    const LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("%s not started!", getType().c_str());
        return -1;
    }
    if (sound_count == MAX_SOUNDS) {
        log_manager.writeLog("RM::loadSound(): Error! Unable to add more sounds (max is %d).", MAX_SOUNDS);
        return -1;
    }
    if (sound[sound_count].loadSound(filename) == -1) {
        log_manager.writeLog("RM::loadSound(): Error! Cannot load sound from file '%s'.", filename.c_str());
        return -1;
    }
    sound[sound_count].setLabel(label);
    log_manager.writeLog(1, "RM::loadSound(): Sound '%s' successfully loaded.", label.c_str());
    sound_count++;
    return 0;
}

Sound *ResourceManager::getSound(std::string label) {
    const LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog(5, "RM::getSound(): Looking for sound '%s'.", label.c_str());
    for (int i = 0; i < sound_count; i++) {
        if (sound[i].getLabel() == label) {
            return &sound[i];
        }
    }
    log_manager.writeLog("RM::getSound(): Warning! Sound '%s' not found.", label.c_str());
    return nullptr;
}

std::unique_ptr<Sprite> ResourceManager::loadSimpleSprite(std::istream &file) {
    const LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("%s not started!", getType().c_str());
        return nullptr;
    }

    sprite_bytes_read = 0;
    const char *const missing[] = {"\tMissing frames (an integer).", "\tMissing width (an integer).",
                                   "\tMissing height (an integer).", "\tMissing slowdown (an integer).",
                                   "\tMissing color (a string)."};
    std::string header[5];
    for (int i = 0; i < 5; i++) {
        header[i] = getLine(file, true);
        log_manager.writeLog(20, "\tLine %2d: '%s'", line_number, header[i].c_str());
        if (file.bad()) {
            return nullptr;
        }
        if (header[i].empty()) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error! Unexpected end of file.");
            log_manager.writeLog("%s", missing[i]);
            return nullptr;
        }
        const int value = textToInt(header[i]);
        if (i == 0 && value < 1) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error line %d! Number of frames is %d.", line_number, value);
            return nullptr;
        }
        if (i == 1 && value < 1) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error line %d! Width is '%s'.", line_number,
                                 header[i].c_str());
            return nullptr;
        }
        if (i == 2 && value < 1) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error line %d! Height is '%s'.", line_number,
                                 header[i].c_str());
            return nullptr;
        }
        if (i == 3 && value < 0) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error line %d! Slowdown is '%s'.", line_number,
                                 header[i].c_str());
            return nullptr;
        }
    }
    const int frames = textToInt(header[0]);
    const int width = textToInt(header[1]);
    const int height = textToInt(header[2]);
    const int slowdown = textToInt(header[3]);
    Color color = WHITE;
    if (!colorFromName(header[4], false, color)) {
        log_manager.writeLog("RM::loadSimpleSprite(): Error line %d! Unrecognized color '%s'.", line_number,
                             header[4].c_str());
        log_manager.writeLog("  Valid colors are: black, red, green, yellow,");
        log_manager.writeLog("                    blue, magenta, cyan or white.");
        return nullptr;
    }
    if (!withinSpriteLimits("RM::loadSimpleSprite()", frames, 1, width, height, 3)) {
        return nullptr;
    }
    log_manager.writeLog(5, "\t      Frames: %d", frames);
    log_manager.writeLog(5, "\t       Width: %d", width);
    log_manager.writeLog(5, "\t      Height: %d", height);
    log_manager.writeLog(5, "\t    Slowdown: %d", slowdown);
    log_manager.writeLog(5, "\t       Color: %s", colorToString(color).c_str());

    // Every frame needs at least width x height bytes of the file.
    const std::int64_t remaining = bytesLeft(file);
    const std::int64_t frame_bytes = static_cast<std::int64_t>(width) * height;
    std::unique_ptr<Sprite> p_sprite(new (std::nothrow)
                                         Sprite(frameCapacity(frames, remaining < 0 ? -1 : remaining / frame_bytes)));
    if (!p_sprite) {
        log_manager.writeLog("RM::loadSimpleSprite(): Error! Unable to create Sprite.");
        return nullptr;
    }
    p_sprite->setWidth(width);
    p_sprite->setHeight(height);
    p_sprite->setSlowdown(slowdown);
    p_sprite->setColor(color);
    p_sprite->setTransparency(0);

    std::string characters;
    for (int f = 1; f <= frames; f++) {
        log_manager.writeLog(15, "RM::loadSimpleSprite(): Reading frame %d of %d.", f, frames);
        characters.clear();
        for (int row = 1; row <= height; row++) {
            const std::string line = getLine(file, true);
            if (file.bad()) {
                return nullptr;
            }
            if (line.empty()) {
                log_manager.writeLog("RM::loadSimpleSprite(): Error! Unexpected end of file.");
                log_manager.writeLog("\tReading frame %d of %d, row %d of %d.", f, frames, row, height);
                return nullptr;
            }
            if (line.size() != static_cast<std::size_t>(width)) {
                log_manager.writeLog("RM::loadSimpleSprite(): Error line %d!", line_number);
                log_manager.writeLog("\tLine %2d: '%s'", line_number, line.c_str());
                log_manager.writeLog("\tWidth is %d, expected %d.", static_cast<int>(line.size()), width);
                return nullptr;
            }
            log_manager.writeLog(20, "\tLine %2d: '%s'", line_number, line.c_str());
            characters += line;
        }
        if (p_sprite->pushFrame(Frame(width, height, characters)) != 0) {
            log_manager.writeLog("RM::loadSimpleSprite(): Error! Cannot add Frame.");
            log_manager.writeLog("\tFramecount is %d, max is %d.", p_sprite->getFrameCount() + 1, frames);
            return nullptr;
        }
    }

    if (file.eof()) {
        return p_sprite;
    }
    const std::string extra = getLine(file, true);
    if (file.bad()) {
        return nullptr;
    }
    if (file.eof() && extra.empty()) {
        return p_sprite;
    }
    log_manager.writeLog("RM::loadSimpleSprite(): Error line %d!", line_number);
    log_manager.writeLog("\tExtra file data: '%s'", extra.c_str());
    return nullptr;
}

std::unique_ptr<Sprite> ResourceManager::loadRobustSprite(std::istream &file) {
    const LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("%s not started!", getType().c_str());
        return nullptr;
    }

    sprite_bytes_read = 0;
    std::list<std::string> header = readData(file, "HEADER");
    if (header.empty()) {
        return nullptr;
    }
    log_manager.writeLog(20, "ResourceManager::loadRobustSprite(): After header, line number: '%d'", line_number);

    const char *const required[] = {"frames", "width", "height"};
    int numbers[3] = {-1, -1, -1};
    for (int i = 0; i < 3; i++) {
        numbers[i] = matchLineInt(header, required[i]);
        if (numbers[i] == -1) {
            log_manager.writeLog("RM::loadRobustSprite(): Error! Missing '%s' in header.", required[i]);
            return nullptr;
        }
    }
    const int frames = numbers[0];
    const int width = numbers[1];
    const int height = numbers[2];

    std::string color_name = matchLineStr(header, "color");
    if (color_name.empty()) {
        log_manager.writeLog(5, "RM::loadRobustSprite(): Warning! No '%s' in header.", "color");
        color_name = "default";
    }
    char transparency = 0;
    const std::string transparency_value = matchLineStr(header, "transparency");
    if (transparency_value == "\" \"") {
        log_manager.writeLog(5, "RM::loadRobustSprite(): transparency is 'space'");
        transparency = ' ';
    } else if (!transparency_value.empty()) {
        transparency = transparency_value[0];
    } else {
        log_manager.writeLog(5, "RM::loadRobustSprite(): Note! No '%s' in header.", "transparency");
    }
    int slowdown = matchLineInt(header, "slowdown");
    if (slowdown == -1) {
        log_manager.writeLog(5, "RM::loadRobustSprite(): Note! No '%s' in header.", "slowdown");
        slowdown = 0;
    }

    if (!header.empty()) {
        log_manager.writeLog(1, "RM::loadRobustSprite(): Warning! Unused HEADER lines:");
        for (const std::string &line : header) {
            log_manager.writeLog(1, "\t'%s'", line.c_str());
        }
    }
    log_manager.writeLog(5, "\t      Frames: %d", frames);
    log_manager.writeLog(5, "\t       Width: %d", width);
    log_manager.writeLog(5, "\t      Height: %d", height);
    log_manager.writeLog(5, "\t    Slowdown: %d", slowdown);
    if (transparency != 0) {
        log_manager.writeLog(5, "\tTransparency: '%c'", transparency);
    } else {
        log_manager.writeLog(5, "\tTransparency: (none)");
    }

    const int header_end_line = line_number;
    if (!withinSpriteLimits("RM::loadRobustSprite()", frames, header_end_line, width, height, header_end_line)) {
        return nullptr;
    }
    std::list<std::string> body = readData(file, "BODY");
    if (body.empty()) {
        return nullptr;
    }
    log_manager.writeLog(20, "ResourceManager::loadRobustSprite(): After reading body: line number is '%d'",
                         line_number);

    // A frame takes height rows and its "end" line, so the body bounds how many frames can be real.
    const std::int64_t lines_per_frame = height > 0 ? static_cast<std::int64_t>(height) + 1 : 1;
    std::unique_ptr<Sprite> p_sprite(
        new (std::nothrow) Sprite(frameCapacity(frames, static_cast<std::int64_t>(body.size()) / lines_per_frame)));
    if (!p_sprite) {
        log_manager.writeLog("RM::loadRobustSprite(): Error! Unable to create Sprite.");
        return nullptr;
    }
    p_sprite->setWidth(width);
    p_sprite->setHeight(height);
    p_sprite->setSlowdown(slowdown);
    p_sprite->setTransparency(transparency);
    Color color = WHITE;
    if (!colorFromName(color_name, true, color)) {
        log_manager.writeLog("RM::loadRobustSprite(): Error! Unrecognized color '%s'.", color_name.c_str());
        log_manager.writeLog("  Valid colors are: black, red, green, yellow,");
        log_manager.writeLog("                    blue, magenta, cyan and white.");
        return nullptr;
    }
    p_sprite->setColor(color);
    log_manager.writeLog(5, "\t       Color: %s", colorToString(color).c_str());

    // Body rows start on the line after <BODY>, which follows </HEADER>.
    std::int64_t frame_line = static_cast<std::int64_t>(header_end_line) + 2;
    for (int i = 0; i < frames; i++) {
        const Frame frame =
            parseFrame(body, width, height, static_cast<int>(std::min<std::int64_t>(frame_line, INT32_MAX)));
        frame_line += lines_per_frame;
        if (frame.getString().empty()) {
            log_manager.writeLog("RM::loadRobustSprite(): Error! No frame data to add.");
            return nullptr;
        }
        if (p_sprite->pushFrame(frame) != 0) {
            log_manager.writeLog("RM::loadRobustSprite(): Error! Cannot add Frame.");
            log_manager.writeLog("\tFramecount is %d, max is %d", p_sprite->getFrameCount() + 1, frames);
            return nullptr;
        }
    }
    if (!body.empty()) {
        log_manager.writeLog("RM::loadRobustSprite(): Error! Extra BODY:");
        for (const std::string &line : body) {
            log_manager.writeLog("\tLine %d: %s", line_number, line.c_str());
            line_number++;
        }
        return nullptr;
    }

    std::list<std::string> footer = readData(file, "FOOTER");
    if (footer.empty()) {
        return nullptr;
    }
    const std::string version = matchLineStr(footer, "version");
    if (version.empty()) {
        log_manager.writeLog("RM::loadRobustSprite(): Error! Missing '%s' in FOOTER (line %d).", "version",
                             line_number);
        return nullptr;
    }
    if (!footer.empty()) {
        log_manager.writeLog(1, "RM::loadRobustSprite(): Warning! Unused FOOTER lines:");
        for (const std::string &line : footer) {
            log_manager.writeLog(1, "\t'%s'", line.c_str());
        }
    }
    return p_sprite;
}

} // namespace nv
