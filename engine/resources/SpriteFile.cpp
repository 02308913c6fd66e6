#include "resources/SpriteFile.h"

#include <algorithm>
#include <cstring>

#include "core/LogManager.h"
#include "display/Frame.h"
#include "resources/TextNumber.h"

namespace nv {

int line_number = 0;
std::int64_t sprite_bytes_read = 0;

namespace {

/// How much of an overlong line the log shows.
constexpr std::size_t SHOWN_OF_LONG_LINE = 40;

} // namespace

bool withinSpriteLimits(const char *who, int frames, int frames_line, int width, int height, int size_line) {
    const LogManager &log_manager = LogManager::getInstance();
    if (frames > MAX_SPRITE_FRAMES) {
        log_manager.writeLog("%s: Error line %d! Frame count %d is over the limit of %d.", who, frames_line, frames,
                             MAX_SPRITE_FRAMES);
        return false;
    }
    // Both sizes count as at least 0, so two negative ones cannot multiply into a large frame.
    const std::int64_t size = static_cast<std::int64_t>(std::max(width, 0)) * std::max(height, 0);
    if (size > MAX_SPRITE_FRAME_SIZE) {
        log_manager.writeLog("%s: Error line %d! Frame of %d x %d characters is over the limit of %d.", who, size_line,
                             width, height, MAX_SPRITE_FRAME_SIZE);
        return false;
    }
    return true;
}

std::string getLine(std::istream &file, bool count) {
    const LogManager &log_manager = LogManager::getInstance();
    if (!file.good() || file.rdbuf() == nullptr) {
        log_manager.writeLog("getLine(): Error! Unexpected end of file.");
        return "";
    }
    // Read by hand rather than with std::getline, which would take a line of any length into memory.
    using Traits = std::istream::traits_type;
    std::streambuf &buffer = *file.rdbuf();
    std::string line;
    std::int64_t taken = 0;
    bool at_end = false;
    while (true) {
        const Traits::int_type c = buffer.sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            at_end = true;
            break;
        }
        taken++;
        if (Traits::to_char_type(c) == '\n') {
            break;
        }
        if (line.size() == static_cast<std::size_t>(MAX_SPRITE_LINE_LENGTH)) {
            log_manager.writeLog("getLine(): Error line %d! Line is longer than the limit of %d characters: '%s...'",
                                 line_number + 1, MAX_SPRITE_LINE_LENGTH, line.substr(0, SHOWN_OF_LONG_LINE).c_str());
            file.setstate(std::ios::badbit);
            return "";
        }
        line.push_back(Traits::to_char_type(c));
    }
    if (at_end) {
        file.setstate(taken == 0 ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
    }
    sprite_bytes_read += taken;
    if (sprite_bytes_read > MAX_SPRITE_FILE_SIZE) {
        log_manager.writeLog("getLine(): Error line %d! File is longer than the limit of %d bytes.", line_number + 1,
                             MAX_SPRITE_FILE_SIZE);
        file.setstate(std::ios::badbit);
        return "";
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (count) {
        line_number++;
    }
    return line;
}

std::list<std::string> readData(std::istream &file, std::string tag) {
    const LogManager &log_manager = LogManager::getInstance();
    const std::string begin = "<" + tag + ">";
    const std::string end = "</" + tag + ">";

    std::string line = getLine(file, true);
    if (file.bad()) {
        return {};
    }
    if (line != begin) {
        log_manager.writeLog("readData(): Error line %d! Expected '%s', have '%s'.", line_number, begin.c_str(),
                             line.c_str());
        return {};
    }

    std::list<std::string> data;
    bool first = true;
    while (true) {
        // The first content line goes uncounted, so the extra count at the end lands on the closing tag's line.
        line = getLine(file, !first);
        first = false;
        if (file.bad()) {
            return {};
        }
        if (line.empty()) {
            log_manager.writeLog("readData(): Error! Stop at line %d, never encountered '%s'.", line_number,
                                 end.c_str());
            return {};
        }
        if (line == end) {
            line_number++;
            return data;
        }
        data.push_back(line);
    }
}

namespace {

/// Whether line is introduced by tag (tag a prefix of line).
bool startsWithTag(const std::string &line, const char *tag, std::size_t tag_length) {
    return line.size() >= tag_length && line.compare(0, tag_length, tag) == 0;
}

/// The text after tag and its one separator character; "" for a line that is just the tag.
std::string valueAfterTag(const std::string &line, std::size_t tag_length) {
    return line.size() > tag_length ? line.substr(tag_length + 1) : std::string();
}

} // namespace

int matchLineInt(std::list<std::string> &lines, const char *tag) {
    const std::size_t tag_length = std::strlen(tag);
    int value = -1;
    for (auto it = lines.begin(); it != lines.end();) {
        if (!startsWithTag(*it, tag, tag_length)) {
            ++it;
            continue;
        }
        if (value != -1) {
            LogManager::getInstance().writeLog(1, "matchLineInt(): Warning! '%s' matches multiple lines.", it->c_str());
        }
        value = textToInt(valueAfterTag(*it, tag_length));
        it = lines.erase(it);
    }
    return value;
}

std::string matchLineStr(std::list<std::string> &lines, const char *tag) {
    const std::size_t tag_length = std::strlen(tag);
    std::string value;
    for (auto it = lines.begin(); it != lines.end();) {
        if (!startsWithTag(*it, tag, tag_length)) {
            ++it;
            continue;
        }
        if (!value.empty()) {
            LogManager::getInstance().writeLog(1, "matchLineStr(): Warning! '%s' matches multiple lines.", it->c_str());
        }
        value = valueAfterTag(*it, tag_length);
        it = lines.erase(it);
    }
    return value;
}

Frame parseFrame(std::list<std::string> &lines, int width, int height, int line) {
    const LogManager &log_manager = LogManager::getInstance();
    std::string characters;
    for (int row = 0; row < height; row++) {
        if (lines.empty()) {
            log_manager.writeLog("\tError! Line %d: No more frame data before 'end'.", line_number);
            return Frame();
        }
        const std::string row_text = std::move(lines.front());
        lines.pop_front();
        const int row_line = line + row;
        log_manager.writeLog(20, "\tLine %2d: '%s'", row_line, row_text.c_str());
        if (width < 0 || row_text.size() != static_cast<std::size_t>(width)) {
            log_manager.writeLog("\tError! Line %d: Line length is %d (frame width is %d).", row_line,
                                 static_cast<int>(row_text.size()), width);
            log_manager.writeLog("\tLine %d: '%s'", row_line, row_text.c_str());
            return Frame();
        }
        characters += row_text;
    }
    if (lines.empty()) {
        log_manager.writeLog("\tError! Line %d: No more frame data before 'end'.", line_number);
        return Frame();
    }
    const int end_line = line + (height > 0 ? height : 0);
    if (lines.front() != "end") {
        log_manager.writeLog("\tError! Line %d: Expected '%s'.", end_line, "end");
        log_manager.writeLog("\tLine %d: '%s'", end_line, lines.front().c_str());
        return Frame();
    }
    lines.pop_front();
    return Frame(width, height, characters);
}

} // namespace nv
