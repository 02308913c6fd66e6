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
    /// Window width in pixels ("window_horizontal_pixels"; 0 takes the desktop's).
    int getWindowHorizontalPixels() const { return window_horizontal_pixels; }
    /// Window height in pixels ("window_vertical_pixels"; 0 takes the desktop's).
    int getWindowVerticalPixels() const { return window_vertical_pixels; }
    /// Columns of character cells in the window ("window_horizontal_chars").
    int getWindowHorizontalChars() const { return window_horizontal_chars; }
    /// Rows of character cells in the window ("window_vertical_chars").
    int getWindowVerticalChars() const { return window_vertical_chars; }
    /// Window style bits handed to the window library ("window_style").
    int getWindowStyle() const { return window_style; }
    /// Window state: 1 full screen, 0 default ("window_state").
    int getWindowState() const { return window_state; }
    /// Background color, a Color value ("window_background_color").
    int getWindowBackgroundColor() const { return window_background_color; }
    /// Target duration of one step in milliseconds ("frame_time").
    int getFrameTime() const { return frame_time; }
    /// Character size as a multiple of the smaller cell side ("font_scale").
    float getFontScale() const { return font_scale; }
    /// Window title ("window_title").
    std::string getWindowTitle() const { return window_title; }
    /// Whether the mouse cursor shows over the window ("show_mouse").
    bool getShowMouse() const { return show_mouse; }
    /// Whether the engine runs without a window ("headless").
    bool getHeadless() const { return headless; }
    /// Path of the font file ("font_file").
    std::string getFontFile() const { return font_file; }
    /// Path of the log file unless NORVANTIS_LOG names one ("logfile").
    std::string getLogfile() const { return logfile; }
    /// Seed of the random generator: 0 from the clock, -1 left alone ("random_seed").
    int getRandomSeed() const { return random_seed; }
    /// Whether the network manager is started ("networking").
    bool getNetworking() const { return networking; }
    /// The "quadtree_threshold" setting, kept for configurations that give it; nothing uses it.
    int getQuadtreeThreshold() const { return quadtree_threshold; }
    /// The "quadtree_depth" setting, kept for configurations that give it; nothing uses it.
    int getQuadtreeDepth() const { return quadtree_depth; }
    /// Width of a collision grid cell in world cells ("grid_width").
    int getGridWidth() const { return grid_width; }
    /// Height of a collision grid cell in world cells ("grid_height").
    int getGridHeight() const { return grid_height; }
    /// The "signals" setting, kept for configurations that give it; nothing uses it.
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
