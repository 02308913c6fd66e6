#include "resources/SpriteFile.h"

#include <cstring>

#include "core/LogManager.h"
#include "display/Frame.h"
#include "resources/TextNumber.h"

namespace nv {

int line_number = 0;

std::string getLine(std::istream &file, bool count) {
    if (!file.good()) {
        LogManager::getInstance().writeLog("getLine(): Error! Unexpected end of file.");
        return "";
    }
    std::string line;
    std::getline(file, line);
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
