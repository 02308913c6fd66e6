#pragma once

#include <string>

namespace nv {

/// Configuration file read when NORVANTIS_CONFIG is not set.
const std::string CONFIG_FILENAME_DEFAULT = "nv-config.txt";

/// Returns the value of key in a "key:value," configuration text (first occurrence), or "" if absent;
/// an empty text reuses the entries of the previous parse.
std::string match(std::string str, std::string find);

/// Every engine setting, with its default until a configuration is loaded.
class Config {
public:
    /// Returns the one configuration.
    static Config &getInstance();
    Config(const Config &) = delete;
    Config &operator=(const Config &) = delete;

    /// Returns the useful lines of the configuration file joined, or "" if it cannot be opened.
    std::string readConfig() const;
    /// Applies a configuration text; an empty text reads the configuration file first.
    void loadConfig(std::string config_text = "");
    /// Restores every default and forgets the loaded text.
    void reset();
    /// Writes every setting into the log.
    void writeSummary() const;

    /// Returns the configuration text last loaded.
    std::string getConfigText() const { return config; }
    int getWindowHorizontalPixels() const { return window_horizontal_pixels; }
    int getWindowVerticalPixels() const { return window_vertical_pixels; }
    int getWindowHorizontalChars() const { return window_horizontal_chars; }
    int getWindowVerticalChars() const { return window_vertical_chars; }
    int getWindowStyle() const { return window_style; }
    int getWindowState() const { return window_state; }
    int getWindowBackgroundColor() const { return window_background_color; }
    int getFrameTime() const { return frame_time; }
    float getFontScale() const { return font_scale; }
    std::string getWindowTitle() const { return window_title; }
    bool getShowMouse() const { return show_mouse; }
    bool getHeadless() const { return headless; }
    std::string getFontFile() const { return font_file; }
    std::string getLogfile() const { return logfile; }
    int getRandomSeed() const { return random_seed; }
    bool getNetworking() const { return networking; }
    int getQuadtreeThreshold() const { return quadtree_threshold; }
    int getQuadtreeDepth() const { return quadtree_depth; }
    int getGridWidth() const { return grid_width; }
    int getGridHeight() const { return grid_height; }
    bool getSignals() const { return signals; }

private:
    Config();

    std::string config;
    int window_horizontal_pixels;
    int window_vertical_pixels;
    int window_horizontal_chars;
    int window_vertical_chars;
    int window_style;
    int window_state;
    int window_background_color;
    int frame_time;
    float font_scale;
    std::string window_title;
    bool show_mouse;
    bool headless;
    std::string font_file;
    std::string logfile;
    int random_seed;
    bool networking;
    int quadtree_threshold;
    int quadtree_depth;
    int grid_width;
    int grid_height;
    bool signals;
};

} // namespace nv
