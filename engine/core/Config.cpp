#include "core/Config.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <new>
#include <vector>

#include "core/LogManager.h"

namespace nv {

namespace {

// Entries of the most recent parse; match() with an empty text looks them up again.
std::vector<std::string> &matchKeys() {
    static std::vector<std::string> keys;
    return keys;
}

std::vector<std::string> &matchValues() {
    static std::vector<std::string> values;
    return values;
}

// Like atoi, but a value beyond the int range saturates instead of being undefined.
int toInt(const std::string &text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// Like atof narrowed to float, without the undefined conversion of an out-of-range double.
float toFloat(const std::string &text) {
    return std::strtof(text.c_str(), nullptr);
}

void parse(const std::string &str) {
    const LogManager &log_manager = LogManager::getInstance();
    std::vector<std::string> &keys = matchKeys();
    std::vector<std::string> &values = matchValues();
    keys.clear();
    values.clear();

    std::string text;
    text.reserve(str.size());
    for (char c : str) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            text.push_back(c);
        }
    }

    int num_elements = 1;
    for (char c : text) {
        if (c == ',') {
            num_elements++;
        }
    }
    log_manager.writeLog(25, "match(): number of elements allocated is %d", num_elements);
    try {
        keys.reserve(static_cast<std::size_t>(num_elements));
    } catch (const std::bad_alloc &) {
        log_manager.writeLog("match(): unable to allocate key array!");
        keys.clear();
        return;
    }
    try {
        values.reserve(static_cast<std::size_t>(num_elements));
    } catch (const std::bad_alloc &) {
        log_manager.writeLog("match(): unable to allocate val array!");
        keys.clear();
        values.clear();
        return;
    }

    int item = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        log_manager.writeLog(25, "\titem number %d", item);
        log_manager.writeLog(28, "\tp_element is '%s' (%p)", piece.c_str(), static_cast<const void *>(piece.c_str()));
        std::vector<std::string> tokens;
        std::size_t pos = 0;
        while (pos < piece.size() && tokens.size() < 2) {
            const std::size_t first = piece.find_first_not_of(':', pos);
            if (first == std::string::npos) {
                break;
            }
            std::size_t last = piece.find(':', first);
            if (last == std::string::npos) {
                last = piece.size();
            }
            tokens.push_back(piece.substr(first, last - first));
            log_manager.writeLog(28, "\ttoken is '%s' (%p)", tokens.back().c_str(),
                                 static_cast<const void *>(tokens.back().c_str()));
            pos = last;
        }
        if (tokens.empty()) {
            break;
        }
        keys.push_back(tokens[0]);
        values.push_back(tokens.size() > 1 ? tokens[1] : std::string());
        log_manager.writeLog(28, "\tkey %s", keys.back().c_str());
        log_manager.writeLog(28, "\tval %s", values.back().c_str());
        item++;
    }
    log_manager.writeLog(25, "match(): parsed.");
    for (std::size_t i = 0; i < keys.size(); i++) {
        log_manager.writeLog(28, "\t%d  %s : %s", static_cast<int>(i), keys[i].c_str(), values[i].c_str());
    }
}

} // namespace

std::string match(std::string str, std::string find) {
    const LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog(25, "match(): text '%s', key '%s'", str.c_str(), find.c_str());
    if (!str.empty()) {
        parse(str);
    }
    const std::vector<std::string> &keys = matchKeys();
    const std::vector<std::string> &values = matchValues();
    log_manager.writeLog(25, "match(): Looking for match '%s' among %d items.", find.c_str(),
                         static_cast<int>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); i++) {
        log_manager.writeLog(28, "match(): %d: %s == %s?", static_cast<int>(i), find.c_str(), keys[i].c_str());
        if (keys[i] == find) {
            return values[i];
        }
    }
    return std::string();
}

Config::Config() {
    reset();
}

Config &Config::getInstance() {
    static Config config_instance;
    return config_instance;
}

void Config::reset() {
    config.clear();
    window_horizontal_pixels = 1024;
    window_vertical_pixels = 768;
    window_horizontal_chars = 80;
    window_vertical_chars = 24;
    window_style = 5;
    window_state = 0;
    window_background_color = 0;
    frame_time = 33;
    font_scale = 2.0f;
    window_title = "Norvantis";
    show_mouse = false;
    headless = false;
    font_file = "nv-font.ttf";
    logfile = "norvantis.log";
    random_seed = 0;
    networking = true;
    quadtree_threshold = 1;
    quadtree_depth = 10;
    grid_width = 20;
    grid_height = 8;
    signals = true;
}

std::string Config::readConfig() const {
    const char *env_name = std::getenv("NORVANTIS_CONFIG");
    const std::string file_name = env_name != nullptr ? std::string(env_name) : CONFIG_FILENAME_DEFAULT;
    std::ifstream file(file_name);
    if (!file.is_open()) {
        LogManager::getInstance().writeLog(1, "Config::readConfig(): Cannot open Norvantis configuration file '%s'.",
                                           file_name.c_str());
        return std::string();
    }
    std::string result;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        result += line;
    }
    return result;
}

void Config::loadConfig(std::string config_text) {
    if (config_text.empty()) {
        config_text = readConfig();
    }
    config = config_text;
    match(config, "");
    const LogManager &log_manager = LogManager::getInstance();

    auto setInt = [this](const char *key, int &field) {
        const std::string value = match(config, key);
        if (!value.empty()) {
            field = toInt(value);
        }
    };
    auto setBool = [this](const char *key, bool &field) {
        const std::string value = match(config, key);
        if (!value.empty()) {
            field = value == "true";
        }
    };
    auto setText = [this](const char *key, std::string &field) {
        const std::string value = match(config, key);
        if (!value.empty()) {
            field = value;
        }
    };

    setInt("frame_time", frame_time);
    std::string value = match(config, "font_scale");
    if (!value.empty()) {
        font_scale = toFloat(value);
    }
    setInt("window_horizontal_pixels", window_horizontal_pixels);
    setInt("window_vertical_pixels", window_vertical_pixels);
    setInt("window_horizontal_chars", window_horizontal_chars);
    setInt("window_vertical_chars", window_vertical_chars);

    value = match(config, "window_background_color");
    if (!value.empty()) {
        static const char *const color_names[] = {"black", "red",     "green", "yellow",
                                                  "blue",  "magenta", "cyan",  "white"};
        bool found = false;
        for (int i = 0; i < 8; i++) {
            if (value == color_names[i]) {
                window_background_color = i;
                found = true;
                break;
            }
        }
        if (!found) {
            log_manager.writeLog("loadConfig(): Unsupported window color '%s'", value.c_str());
        }
    }

    value = match(config, "window_style");
    if (!value.empty()) {
        if (value == "none") {
            window_style = 0;
        } else if (toInt(value) != 0) {
            window_style = toInt(value);
        } else {
            log_manager.writeLog("loadConfig(): Unsupported window style '%s'", value.c_str());
        }
    }

    value = match(config, "window_state");
    if (!value.empty()) {
        if (value == "fullscreen") {
            window_state = 1;
        } else if (value == "default") {
            window_state = 0;
        } else {
            log_manager.writeLog("loadConfig(): Unsupported window state '%s'", value.c_str());
        }
    }

    setText("window_title", window_title);
    setBool("show_mouse", show_mouse);
    setBool("headless", headless);
    setText("font_file", font_file);
    setText("logfile", logfile);
    setInt("random_seed", random_seed);
    setBool("networking", networking);
    setInt("grid_width", grid_width);
    setInt("grid_height", grid_height);
    setInt("quadtree_depth", quadtree_depth);
    setInt("quadtree_threshold", quadtree_threshold);
    setBool("signals", signals);
}

void Config::writeSummary() const {
    const LogManager &lm = LogManager::getInstance();
    auto yesNo = [](bool flag) { return flag ? "true" : "false"; };
    lm.writeLog(1, "-----------------------------------");
    lm.writeLog(1, "Norvantis configuration:");
    lm.writeLog(1, "  Window horizontal pixels: %d", window_horizontal_pixels);
    lm.writeLog(1, "  Window vertical pixels: %d", window_vertical_pixels);
    lm.writeLog(1, "  Window horizontal characters: %d", window_horizontal_chars);
    lm.writeLog(1, "  Window vertical characters: %d", window_vertical_chars);
    lm.writeLog(1, "  Window background color: %d", window_background_color);
    lm.writeLog(1, "  Frame time: %d", frame_time);
    lm.writeLog(1, "  Window style: %d", window_style);
    lm.writeLog(1, "  Window state: %s", window_state == 1 ? "fullscreen" : "default");
    lm.writeLog(1, "  Window title: %s", window_title.c_str());
    lm.writeLog(1, "  Show mouse: %s", yesNo(show_mouse));
    lm.writeLog(1, "  Headless: %s", yesNo(headless));
    lm.writeLog(1, "  Font file: %s", font_file.c_str());
    lm.writeLog(1, "  Log file: %s", logfile.c_str());
    lm.writeLog(1, "  Random seed: %d", random_seed);
    lm.writeLog(1, "  Networking: %s", yesNo(networking));
    lm.writeLog(1, "  Scene graph: grid");
    lm.writeLog(1, "  Grid width: %d", grid_width);
    lm.writeLog(1, "  Grid height: %d", grid_height);
    lm.writeLog(1, "-----------------------------------");
}

} // namespace nv
