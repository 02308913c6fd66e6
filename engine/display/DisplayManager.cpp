#include "display/DisplayManager.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include <SFML/Graphics/RenderStates.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transformable.hpp>

#include "core/Config.h"
#include "core/LogManager.h"
#include "display/SfmlBridge.h"
#include "world/WorldManager.h"

namespace nv {

namespace {

// Cells a full default screen holds; reserving them up front keeps the first frames from reallocating.
const std::size_t INITIAL_CELLS = 80 * 24 * 2;
const unsigned int LARGEST_CHARACTER_SIZE = 1000;
// A glyph quad lies on whole pixels, so only pixels whose centres are at least half a pixel inside it change;
// the small remainder keeps the edge safe from the rasterizer's sub-pixel snapping.
const float BLANK_QUAD_RIM = 0.5f - 1.0f / 64;
// A pixel centre nearer than this to a box's edge may fall either side of it after the rasterizer's snapping.
const float SNAP_MARGIN = 1.0f / 64;
// Tile edge in pixels for finding what changed: small enough that a changed cell redraws little around it.
const int TILE_PIXELS = 16;
// A copy to the screen costs one request to the window system, about as much as copying this many pixels more, so
// neighbouring boxes are copied as one while the pixels that adds between them cost less than a request.
const long COPY_REQUEST_PIXELS = 100000;
// The screen keeps what was copied to it only while nothing covers the window; a full copy this often repairs
// what another window or a screen saver overwrote, at the cost of one full frame's copy about once a second.
const int SHOWS_BETWEEN_FULL_COPIES = 30;

// Glyphs are sampled unfiltered (a quarter cheaper in a software renderer); on whole pixels every sample falls
// on a texel's centre, so both drawing paths pick the same texels however the GPU rounds their transforms.
float glyphOrigin(float pixel) {
    return std::floor(pixel + 0.5f);
}

// Says where the font was looked for and how to put one there, since the window library's own line does not.
void logFontHint(const std::string &file_name) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file_name, error);
    const std::string folder = error ? std::string(".") : path.parent_path().string();
    const std::string base = error ? file_name : path.filename().string();
    if (std::filesystem::exists(path, error)) {
        LogManager::getInstance().writeLog(
            "DisplayManager::startUp(): Error! Font file '%s' in folder '%s' is not a font the window library reads.",
            base.c_str(), folder.c_str());
        return;
    }
    LogManager::getInstance().writeLog("DisplayManager::startUp(): Error! Font file '%s' not found in folder '%s': "
                                       "scripts/play.sh stages it, or copy DejaVu Sans Mono Bold there as %s.",
                                       base.c_str(), folder.c_str(), base.c_str());
}

bool isWhitespaceGlyph(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n';
}

std::uint64_t floatBits(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// Everything that decides a cell's pixels: where, how turned, which glyph, which color.
std::uint64_t cellFingerprint(const CellBatch::Cell &cell) {
    const std::uint64_t place = (floatBits(cell.pixel_x) << 32) | floatBits(cell.pixel_y);
    const std::uint64_t look =
        (floatBits(cell.angle) << 32) | (static_cast<std::uint64_t>(static_cast<unsigned char>(cell.ch)) << 24) |
        (static_cast<std::uint64_t>(cell.r) << 16) | (static_cast<std::uint64_t>(cell.g) << 8) | cell.b;
    return mixFingerprint(place, look);
}

} // namespace

DisplayManager &DisplayManager::getInstance() {
    static DisplayManager instance;
    return instance;
}

DisplayManager::DisplayManager()
    : font(), window(), window_horizontal_pixels(1024), window_vertical_pixels(768), window_horizontal_chars(80),
      window_vertical_chars(24), rectangle(), window_background_color(0, 0, 0, 255), text(), batching(true),
      capture(false), character_size(0), pending(), shown(), flushed(0), vertices(), glyph_cache(), quad_cache(),
      cell_width(0), cell_height(0), cell_shift_x(0), cell_shift_y(0), window_dirty(true), window_live(true),
      window_touched(false), nothing_changed(false), canvas(), canvas_valid(false), show_by_copy(false),
      picture_in_window(true), show_runs_only(false), shows_since_full_copy(0), tiles(), redrawn_tiles(0), grid_cols(0),
      grid_rows(0), grid_head(), covered() {
    setType("DisplayManager");
    glyph_cache.fill(nullptr);
    setCellSize();
}

void DisplayManager::setCellSize() {
    // As charWidth() and charHeight() compute them, which reach this object through getInstance().
    cell_width = static_cast<float>(window_horizontal_pixels) / static_cast<float>(window_horizontal_chars);
    cell_height = static_cast<float>(window_vertical_pixels) / static_cast<float>(window_vertical_chars);
    cell_shift_x = cell_width / 10;
    cell_shift_y = cell_height / 5;
}

DisplayManager::~DisplayManager() = default;

int DisplayManager::startUp() {
    LogManager &log = LogManager::getInstance();
    if (isStarted()) {
        log.writeLog("%s::startup(): Warning! %s already started.", getType().c_str(), getType().c_str());
        return -1;
    }
    const Config &config = Config::getInstance();
    // Sizes that would make a cell empty or infinite are refused rather than divided by.
    if (config.getWindowHorizontalChars() <= 0 || config.getWindowVerticalChars() <= 0 ||
        config.getWindowHorizontalPixels() < 0 || config.getWindowVerticalPixels() < 0) {
        log.writeLog("DisplayManager::startUp(): Error! Window size (%d, %d) pixels, (%d, %d) characters not usable.",
                     config.getWindowHorizontalPixels(), config.getWindowVerticalPixels(),
                     config.getWindowHorizontalChars(), config.getWindowVerticalChars());
        return -1;
    }
    window_horizontal_pixels = config.getWindowHorizontalPixels();
    window_vertical_pixels = config.getWindowVerticalPixels();
    window_horizontal_chars = config.getWindowHorizontalChars();
    window_vertical_chars = config.getWindowVerticalChars();
    pending.clear();
    shown.clear();
    pending.reserve(INITIAL_CELLS);
    shown.reserve(INITIAL_CELLS);
    flushed = 0;
    glyph_cache.fill(nullptr);
    window_touched = false;
    setCellSize();

    if (config.getHeadless()) {
        log.writeLog(1, "DisplayManager::startUp(): no graphics in headless mode.");
    } else {
        // The window library aborts the whole process when no X server answers, so ask first, on a connection
        // kept open until shutDown() so the server cannot reset between this check and the window's connection.
        std::string reason;
        if (!SfmlBridge::openDisplay(reason)) {
            log.writeLog("DisplayManager::startUp(): Error! No display to open a window on (%s).", reason.c_str());
            return -1;
        }
        // Whatever the window library does next, the lines logged so far are already on disk.
        std::fflush(nullptr);
        unsigned int desktop_w = 0;
        unsigned int desktop_h = 0;
        SfmlBridge::desktopSize(desktop_w, desktop_h);
        log.writeLog(5, "DisplayManager::startUp(): window resolution (%d, %d) pixels.", static_cast<int>(desktop_w),
                     static_cast<int>(desktop_h));
        if (window_horizontal_pixels == 0)
            window_horizontal_pixels = static_cast<int>(desktop_w);
        if (window_vertical_pixels == 0)
            window_vertical_pixels = static_cast<int>(desktop_h);
        setCellSize();

        try {
            window = SfmlBridge::createWindow(
                static_cast<unsigned int>(window_horizontal_pixels), static_cast<unsigned int>(window_vertical_pixels),
                config.getWindowTitle(), config.getWindowStyle(), config.getWindowState());
        } catch (const std::bad_alloc &) {
            window.reset();
        }
        if (!window) {
            log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
            return -1;
        }
        window->setMouseCursorVisible(config.getShowMouse());
        window->setVerticalSyncEnabled(true);

        if (!SfmlBridge::loadFont(font, config.getFontFile())) {
            log.writeLog("DisplayManager::startUp(): Error! Unable to open font from file '%s'.",
                         config.getFontFile().c_str());
            logFontHint(config.getFontFile());
            return -1;
        }

        try {
            rectangle = std::make_unique<sf::RectangleShape>(sf::Vector2f(charWidth(), charHeight()));
        } catch (const std::bad_alloc &) {
            rectangle.reset();
        }
        if (!rectangle) {
            log.writeLog("DisplayManager::startUp(): Error! Unable to allocate rectangle.");
            return -1;
        }

        try {
            text = SfmlBridge::makeText(font, 30);
        } catch (const std::bad_alloc &) {
            text.reset();
        }
        if (!text) {
            log.writeLog("DisplayManager::startUp(): Error! Unable to allocate text.");
            return -1;
        }
        text->setFont(font);
        text->setStyle(sf::Text::Bold);
        const float wanted = config.getFontScale() * std::min(charWidth(), charHeight());
        // A scale that is negative, not a number or huge would make the conversion undefined.
        if (!(wanted >= 1.0f))
            character_size = 1;
        else if (wanted > static_cast<float>(LARGEST_CHARACTER_SIZE))
            character_size = LARGEST_CHARACTER_SIZE;
        else
            character_size = static_cast<unsigned int>(wanted);
        text->setCharacterSize(character_size);

        window_background_color = colorToSFML(static_cast<Color>(config.getWindowBackgroundColor()));
        rectangle->setFillColor(window_background_color);
        grid_cols = window_horizontal_chars + 2;
        grid_rows = window_vertical_chars + 2;
        grid_head.assign(static_cast<std::size_t>(grid_cols) * static_cast<std::size_t>(grid_rows), -1);
        covered.reserve(INITIAL_CELLS * 4);
        clearWindow();
        window_live = !batching;
        canvas = SfmlBridge::makeCanvas(static_cast<unsigned int>(window_horizontal_pixels),
                                        static_cast<unsigned int>(window_vertical_pixels));
        canvas_valid = false;
        show_by_copy = SfmlBridge::canShowByCopy(*window);
        tiles.reset(window_horizontal_pixels, window_vertical_pixels, TILE_PIXELS);
    }

    Manager::startUp();
    log.writeLog(5, "DisplayManager::startUp(): successfully started.");
    return 0;
}

void DisplayManager::shutDown() {
    if (window) {
        window->close();
        window.reset();
    }
    canvas.reset();
    SfmlBridge::closeDisplay();
    text.reset();
    rectangle.reset();
    pending.clear();
    shown.clear();
    flushed = 0;
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "DisplayManager::shutDown(): successfully stopped.");
}

bool DisplayManager::configHeadless() const {
    return Config::getInstance().getHeadless();
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, Color color, float angle) {
    const bool headless = configHeadless();
    if (headless && !capture)
        return -1;
    // CUSTOM and unknown colors leave the components alone, so they start as white.
    unsigned char r = 255;
    unsigned char g = 255;
    unsigned char b = 255;
    colorToRGB(color, r, g, b);
    return appendCell(world_pos, ch, r, g, b, angle, headless);
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, unsigned char r, unsigned char g, unsigned char b,
                                  float angle) {
    return appendCell(world_pos, ch, r, g, b, angle, configHeadless());
}

// Called for every character of every step: reads the view, the configuration and the log level as they are
// now, and the cell size startUp() fixed.
int DisplayManager::appendCell(Vector world_pos, char ch, unsigned char r, unsigned char g, unsigned char b,
                               float angle, bool headless) {
    if (!isStarted()) {
        LogManager::getInstance().writeLog("%s not started!", getType().c_str());
        return -1;
    }
    if ((headless || !window) && !capture)
        return -1;
    const Vector corner = WorldManager::getInstance().getView().getCorner();
    const float view_x = world_pos.getX() - corner.getX();
    const float view_y = world_pos.getY() - corner.getY();
    const float pixel_x = view_x * cell_width;
    const float pixel_y = view_y * cell_height;
    LogManager &log = LogManager::getInstance();
    if (log.getLogLevel() >= 30)
        log.writeLog(30, "spacesToPixels(int): spaces (%.2f,%.2f) = pixels (%.2f,%.2f)", static_cast<double>(view_x),
                     static_cast<double>(view_y), static_cast<double>(pixel_x), static_cast<double>(pixel_y));
    const CellBatch::Cell &cell = pending.add(view_x, view_y, pixel_x, pixel_y, angle, ch, r, g, b);
    if (window && !batching) {
        drawCellNow(*window, cell);
        flushed = pending.size();
        window_dirty = true;
    }
    return 0;
}

int DisplayManager::drawString(Vector world_pos, std::string str, Justification just, Color color) {
    if (!isStarted()) {
        LogManager::getInstance().writeLog("%s not started!", getType().c_str());
        return -1;
    }
    if (configHeadless() && !capture)
        return -1;
    Vector start = world_pos;
    const float length = static_cast<float>(str.size());
    switch (just) {
    case JUSTIFY_CENTER:
        start.setX(start.getX() - static_cast<float>(str.size() / 2));
        break;
    case JUSTIFY_RIGHT:
        start.setX(start.getX() - length);
        break;
    default:
        break;
    }
    for (std::size_t i = 0; i < str.size(); i++)
        drawCharacter(Vector(start.getX() + static_cast<float>(i), start.getY()), str[i], color);
    return 0;
}

int DisplayManager::swapBuffers() {
    if (!isStarted()) {
        LogManager::getInstance().writeLog("%s not started!", getType().c_str());
        return -1;
    }
    int result = -1;
    if (!configHeadless() && window) {
        bool fingerprinted = true;
        if (window_live) {
            renderPending();
            // Whatever was drawn into the window directly is not in the canvas.
            canvas_valid = false;
            show_runs_only = false;
            nothing_changed = false;
            fingerprintTiles();
        } else {
            fingerprinted = composeFrame();
        }
        if (fingerprinted)
            tiles.keep();
        showWindow();
        window_live = !batching;
        if (window_live)
            clearWindow();
        result = 0;
    }
    shown.swap(pending);
    pending.clear();
    flushed = 0;
    window_touched = false;
    return result;
}

void DisplayManager::setBatching(bool new_batching) {
    if (batching && !new_batching)
        flush();
    // Switched on before this step drew anything: the window holds only its clear, so the step can be composed.
    if (!batching && new_batching && pending.empty() && !window_touched)
        window_live = false;
    batching = new_batching;
}

int DisplayManager::flush() {
    if (!isStarted() || !window)
        return -1;
    if (window_live)
        renderPending();
    else
        composeFrame();
    window_live = true;
    window_touched = true;
    // The caller is about to draw into the window itself, so nothing there can be assumed blank any more.
    window_dirty = true;
    return 0;
}

void DisplayManager::renderPending() {
    if (flushed < pending.size())
        renderCells(*window, flushed, pending.size());
    flushed = pending.size();
}

void DisplayManager::clearWindow() {
    window->clear(window_background_color);
    resetCoverage();
    window_dirty = false;
}

void DisplayManager::resetCoverage() {
    std::fill(grid_head.begin(), grid_head.end(), -1);
    covered.clear();
}

void DisplayManager::addCoverage(float left, float top, float right, float bottom) {
    const float cell_w = cell_width;
    const float cell_h = cell_height;
    const int c0 = std::max(0, static_cast<int>(std::floor(left / cell_w)) + 1);
    const int c1 = std::min(grid_cols - 1, static_cast<int>(std::floor(right / cell_w)) + 1);
    const int r0 = std::max(0, static_cast<int>(std::floor(top / cell_h)) + 1);
    const int r1 = std::min(grid_rows - 1, static_cast<int>(std::floor(bottom / cell_h)) + 1);
    for (int r = r0; r <= r1; r++) {
        for (int c = c0; c <= c1; c++) {
            int &head = grid_head[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid_cols) + c];
            covered.push_back(Covered{left, top, right, bottom, head});
            head = static_cast<int>(covered.size()) - 1;
        }
    }
}

bool DisplayManager::coverageWithin(float left, float top, float right, float bottom, float &c_left, float &c_top,
                                    float &c_right, float &c_bottom) const {
    const float cell_w = cell_width;
    const float cell_h = cell_height;
    const int c0 = std::max(0, static_cast<int>(std::floor(left / cell_w)) + 1);
    const int c1 = std::min(grid_cols - 1, static_cast<int>(std::floor(right / cell_w)) + 1);
    const int r0 = std::max(0, static_cast<int>(std::floor(top / cell_h)) + 1);
    const int r1 = std::min(grid_rows - 1, static_cast<int>(std::floor(bottom / cell_h)) + 1);
    bool found = false;
    for (int r = r0; r <= r1; r++) {
        for (int c = c0; c <= c1; c++) {
            for (int i = grid_head[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid_cols) + c]; i >= 0;
                 i = covered[static_cast<std::size_t>(i)].next) {
                const Covered &box = covered[static_cast<std::size_t>(i)];
                const float l = std::max(left, box.left);
                const float t = std::max(top, box.top);
                const float rr = std::min(right, box.right);
                const float b = std::min(bottom, box.bottom);
                if (l >= rr || t >= b)
                    continue;
                if (!found) {
                    c_left = l;
                    c_top = t;
                    c_right = rr;
                    c_bottom = b;
                    found = true;
                } else {
                    c_left = std::min(c_left, l);
                    c_top = std::min(c_top, t);
                    c_right = std::max(c_right, rr);
                    c_bottom = std::max(c_bottom, b);
                }
            }
        }
    }
    return found;
}

void DisplayManager::drawCellNow(sf::RenderTarget &target, const CellBatch::Cell &cell) {
    rectangle->setPosition(sf::Vector2f(cell.pixel_x - cell_shift_x, cell.pixel_y + cell_shift_y));
    SfmlBridge::setRotation(*rectangle, cell.angle);
    target.draw(*rectangle);
    if (cell.ch == '\r' || isWhitespaceGlyph(cell.ch))
        return;
    // The glyph is laid out exactly as a batch lays it out, so a picture does not depend on batching.
    const SfmlBridge::GlyphQuad &quad = cachedQuad(cell.ch);
    sf::Transformable place;
    place.setPosition(sf::Vector2f(glyphOrigin(cell.pixel_x), glyphOrigin(cell.pixel_y)));
    SfmlBridge::setRotation(place, cell.angle);
    vertices.clear();
    SfmlBridge::appendGlyphQuad(vertices, quad, sf::Color(cell.r, cell.g, cell.b, 255), place.getTransform());
    SfmlBridge::setGlyphsSmooth(font, character_size, false);
    SfmlBridge::drawQuads(target, vertices, &font.getTexture(character_size));
    vertices.clear();
}

const SfmlBridge::GlyphQuad &DisplayManager::cachedQuad(char ch) {
    const unsigned char index = static_cast<unsigned char>(ch);
    if (glyph_cache[index] == nullptr) {
        glyph_cache[index] = &SfmlBridge::getGlyph(font, ch, character_size, true);
        quad_cache[index] = SfmlBridge::glyphQuad(*glyph_cache[index], character_size);
    }
    return quad_cache[index];
}

bool DisplayManager::backgroundVisible(float left, float top) const {
    return left + cell_width > -1 && top + cell_height > -1 &&
           left < static_cast<float>(window_horizontal_pixels) + 1 &&
           top < static_cast<float>(window_vertical_pixels) + 1;
}

// The first pixel column from which the background of cell i + 1, drawn right after cell i's glyph, paints over
// every row of that glyph (top to bottom) up to its right edge, so the glyph need not be drawn there; else right.
float DisplayManager::hiddenFrom(std::size_t i, float top, float right, float bottom) const {
    if (i + 1 >= pending.size())
        return right;
    const CellBatch::Cell &next = pending.data()[i + 1];
    const float bg_left = next.pixel_x - cell_shift_x;
    const float bg_top = next.pixel_y + cell_shift_y;
    if (next.angle != 0.0f || !backgroundVisible(bg_left, bg_top))
        return right;
    // A background paints the pixels whose centres lie inside it; one nearly on its edge is left to the glyph.
    const float first = std::ceil(bg_left - 0.5f);
    if (first >= right || first + 0.5f < bg_left + SNAP_MARGIN || first - 0.5f > bg_left - SNAP_MARGIN ||
        right - 0.5f > bg_left + cell_width - SNAP_MARGIN || top + 0.5f < bg_top + SNAP_MARGIN ||
        bottom - 0.5f > bg_top + cell_height - SNAP_MARGIN)
        return right;
    return first;
}

void DisplayManager::renderCells(sf::RenderTarget &target, std::size_t from, std::size_t to) {
    vertices.clear();
    const float window_w = static_cast<float>(window_horizontal_pixels);
    const float window_h = static_cast<float>(window_vertical_pixels);
    const sf::Texture &texture = font.getTexture(character_size);
    const CellBatch::Cell *cells = pending.data();
    for (std::size_t i = from; i < to; i++) {
        const CellBatch::Cell &cell = cells[i];
        if (cell.angle != 0.0f) {
            // The GPU rounds a rotation differently from the CPU; drawing it on its own keeps the picture exact.
            SfmlBridge::setGlyphsSmooth(font, character_size, false);
            SfmlBridge::drawQuads(target, vertices, &texture);
            vertices.clear();
            drawCellNow(target, cell);
            window_dirty = true;
            continue;
        }
        const float bg_left = cell.pixel_x - cell_shift_x;
        const float bg_top = cell.pixel_y + cell_shift_y;
        const float bg_right = bg_left + cell_width;
        const float bg_bottom = bg_top + cell_height;
        if (backgroundVisible(bg_left, bg_top)) {
            float c_left = bg_left, c_top = bg_top, c_right = bg_right, c_bottom = bg_bottom;
            // On a freshly cleared window the cell only changes pixels that earlier glyphs touched; painting
            // the background over just those (never past the cell's own edges) gives the same picture. The
            // page's reserved white texels make the cell a solid fill within the same textured draw.
            if (window_dirty || coverageWithin(bg_left, bg_top, bg_right, bg_bottom, c_left, c_top, c_right, c_bottom))
                SfmlBridge::appendBox(vertices, c_left, c_top, c_right, c_bottom, window_background_color, 1.f, 1.f);
        }
        if (cell.ch == '\r' || isWhitespaceGlyph(cell.ch))
            continue;
        const SfmlBridge::GlyphQuad &quad = cachedQuad(cell.ch);
        const float origin_x = glyphOrigin(cell.pixel_x);
        const float origin_y = glyphOrigin(cell.pixel_y);
        const float g_left = quad.left + origin_x;
        const float g_top = quad.top + origin_y;
        const float g_right = quad.right + origin_x;
        const float g_bottom = quad.bottom + origin_y;
        if (g_right < -1 || g_bottom < -1 || g_left > window_w + 1 || g_top > window_h + 1)
            continue;
        // What the next cell's background paints over is left out, and so is the box it would need to clean.
        const float shown_right = i + 1 < to ? hiddenFrom(i, g_top, g_right, g_bottom) : g_right;
        if (shown_right <= g_left)
            continue;
        const sf::Color color(cell.r, cell.g, cell.b, 255);
        if (shown_right < g_right)
            SfmlBridge::appendClippedGlyphQuad(vertices, quad, color, origin_x, origin_y, g_left, g_top, shown_right,
                                               g_bottom);
        else
            SfmlBridge::appendQuad(vertices, g_left, g_top, g_right, g_bottom, color, quad.u1, quad.v1, quad.u2,
                                   quad.v2);
        if (!window_dirty)
            addCoverage(g_left + BLANK_QUAD_RIM, g_top + BLANK_QUAD_RIM, shown_right - BLANK_QUAD_RIM,
                        g_bottom - BLANK_QUAD_RIM);
    }
    SfmlBridge::setGlyphsSmooth(font, character_size, false);
    SfmlBridge::drawQuads(target, vertices, &texture);
}

bool DisplayManager::cellBox(const CellBatch::Cell &cell, float &left, float &top, float &right, float &bottom) {
    const float bg_left = cell.pixel_x - cell_shift_x;
    const float bg_top = cell.pixel_y + cell_shift_y;
    left = bg_left;
    top = bg_top;
    right = bg_left + cell_width;
    bottom = bg_top + cell_height;
    const bool glyph = cell.ch != '\r' && !isWhitespaceGlyph(cell.ch);
    const SfmlBridge::GlyphQuad none{0, 0, 0, 0, 0, 0, 0, 0};
    const SfmlBridge::GlyphQuad &quad = glyph ? cachedQuad(cell.ch) : none;
    const float origin_x = glyphOrigin(cell.pixel_x);
    const float origin_y = glyphOrigin(cell.pixel_y);
    if (cell.angle != 0.0f) {
        // Turned about the rectangle's corner and the glyph's origin: a box around each circle swept.
        const float r_cell = std::sqrt(cell_width * cell_width + cell_height * cell_height) + 1;
        left = bg_left - r_cell;
        top = bg_top - r_cell;
        right = bg_left + r_cell;
        bottom = bg_top + r_cell;
        if (glyph) {
            const float r_glyph = std::sqrt(std::max(quad.left * quad.left, quad.right * quad.right) +
                                            std::max(quad.top * quad.top, quad.bottom * quad.bottom)) +
                                  1;
            left = std::min(left, origin_x - r_glyph);
            top = std::min(top, origin_y - r_glyph);
            right = std::max(right, origin_x + r_glyph);
            bottom = std::max(bottom, origin_y + r_glyph);
        }
        return true;
    }
    if (glyph) {
        left = std::min(left, origin_x + quad.left);
        top = std::min(top, origin_y + quad.top);
        right = std::max(right, origin_x + quad.right);
        bottom = std::max(bottom, origin_y + quad.bottom);
    }
    return false;
}

bool DisplayManager::fingerprintTiles() {
    tiles.begin();
    bool turned = false;
    const CellBatch::Cell *cells = pending.data();
    for (std::size_t i = 0; i < pending.size(); i++) {
        float left = 0, top = 0, right = 0, bottom = 0;
        turned = cellBox(cells[i], left, top, right, bottom) || turned;
        tiles.add(left, top, right, bottom, cellFingerprint(cells[i]));
    }
    return turned;
}

// Brings the window to the picture of the cells drawn so far: the canvas keeps the last one shown, so only the
// tiles whose cells differ from that step's are drawn again, each cut to its tiles so nothing outside changes.
// False when the tiles were left as they are, for a step the same as the last, byte for byte.
bool DisplayManager::composeFrame() {
    const bool in_window = show_by_copy && picture_in_window;
    nothing_changed = canvas_valid && pending.sameAs(shown);
    if (nothing_changed) {
        redrawn_tiles = 0;
        show_runs_only = true;
        if (!in_window)
            presentCanvas();
        window_dirty = true;
        flushed = pending.size();
        return false;
    }
    const bool turned = fingerprintTiles();
    const std::size_t changed = tiles.compare();
    redrawn_tiles = tiles.count();
    show_runs_only = false;
    // When most tiles change anyway, drawing straight into the window saves copying the canvas over it.
    if (!in_window && (!canvas || changed * 2 > tiles.count())) {
        canvas_valid = false;
        clearWindow();
        renderCells(*window, 0, pending.size());
        flushed = pending.size();
        return true;
    }
    sf::RenderTarget &target = in_window ? static_cast<sf::RenderTarget &>(*window) : *canvas;
    if (canvas_valid && changed * 2 <= tiles.count() && redrawChangedTiles(target, turned)) {
        redrawn_tiles = changed;
        show_runs_only = true;
    } else {
        target.clear(window_background_color);
        resetCoverage();
        window_dirty = false;
        renderCells(target, 0, pending.size());
    }
    canvas_valid = true;
    if (!in_window)
        presentCanvas();
    window_dirty = true;
    flushed = pending.size();
    return true;
}

void DisplayManager::presentCanvas() {
    canvas->display();
    const sf::Sprite picture(canvas->getTexture());
    window->draw(picture, sf::RenderStates(sf::BlendNone));
}

// A swap leaves the back buffer undefined, a copy leaves it as it is: the picture kept there survives only copies.
void DisplayManager::showWindow() {
    if (!show_by_copy || !picture_in_window || !batching) {
        window->display();
        if (picture_in_window)
            canvas_valid = false;
        return;
    }
    shows_since_full_copy++;
    if (!show_runs_only || shows_since_full_copy >= SHOWS_BETWEEN_FULL_COPIES) {
        shows_since_full_copy = 0;
        SfmlBridge::showByCopy(*window, 0, 0, window_horizontal_pixels, window_vertical_pixels);
        return;
    }
    const std::vector<FrameTiles::Run> &runs = tiles.runs();
    if (nothing_changed || runs.empty())
        return;
    const auto area = [](const FrameTiles::Run &box) {
        return static_cast<long>(box.right - box.left) * static_cast<long>(box.bottom - box.top);
    };
    const auto copy = [this](const FrameTiles::Run &box) {
        SfmlBridge::showByCopy(*window, box.left, box.top, box.right - box.left, box.bottom - box.top);
    };
    FrameTiles::Run box = runs.front();
    for (std::size_t k = 1; k < runs.size(); k++) {
        const FrameTiles::Run &run = runs[k];
        const FrameTiles::Run both{std::min(box.left, run.left), std::min(box.top, run.top),
                                   std::max(box.right, run.right), std::max(box.bottom, run.bottom)};
        if (area(both) - area(box) - area(run) < COPY_REQUEST_PIXELS) {
            box = both;
        } else {
            copy(box);
            box = run;
        }
    }
    copy(box);
}

void DisplayManager::setPictureInWindow(bool on) {
    if (on != picture_in_window)
        canvas_valid = false;
    picture_in_window = on;
}

bool DisplayManager::redrawChangedTiles(sf::RenderTarget &target, bool turned) {
    vertices.clear();
    const std::vector<FrameTiles::Run> &runs = tiles.runs();
    if (runs.empty())
        return true;
    for (const FrameTiles::Run &run : runs)
        SfmlBridge::appendBox(vertices, static_cast<float>(run.left), static_cast<float>(run.top),
                              static_cast<float>(run.right), static_cast<float>(run.bottom), window_background_color,
                              1.f, 1.f);
    const float window_w = static_cast<float>(window_horizontal_pixels);
    const float window_h = static_cast<float>(window_vertical_pixels);
    const CellBatch::Cell *cells = pending.data();
    for (std::size_t i = 0; i < pending.size(); i++) {
        float left = 0, top = 0, right = 0, bottom = 0;
        cellBox(cells[i], left, top, right, bottom);
        if (!(right > 0 && bottom > 0 && left < window_w && top < window_h))
            continue;
        const int c0 = tiles.colOf(left);
        const int c1 = tiles.colOf(right);
        const int r0 = tiles.rowOf(top);
        for (int r = r0; r <= tiles.rowOf(bottom); r++) {
            for (int c = c0; c <= c1; c++) {
                // The cell meets each box in a block of tiles: cut it once, at the block's top left tile.
                const int id = tiles.runAt(c, r);
                if (id < 0 || (c > c0 && tiles.runAt(c - 1, r) == id) || (r > r0 && tiles.runAt(c, r - 1) == id))
                    continue;
                // A turned cell cannot be cut to a run exactly; the caller redraws everything instead.
                if (turned && cells[i].angle != 0.0f) {
                    vertices.clear();
                    return false;
                }
                appendCellClipped(i, runs[static_cast<std::size_t>(id)]);
            }
        }
    }
    SfmlBridge::setGlyphsSmooth(font, character_size, false);
    SfmlBridge::drawQuads(target, vertices, &font.getTexture(character_size));
    vertices.clear();
    return true;
}

void DisplayManager::appendCellClipped(std::size_t i, const FrameTiles::Run &run) {
    const CellBatch::Cell &cell = pending.data()[i];
    const float run_left = static_cast<float>(run.left);
    const float run_top = static_cast<float>(run.top);
    const float run_right = static_cast<float>(run.right);
    const float run_bottom = static_cast<float>(run.bottom);
    const float bg_left = cell.pixel_x - cell_shift_x;
    const float bg_top = cell.pixel_y + cell_shift_y;
    const float left = std::max(bg_left, run_left);
    const float top = std::max(bg_top, run_top);
    const float right = std::min(bg_left + cell_width, run_right);
    const float bottom = std::min(bg_top + cell_height, run_bottom);
    if (left < right && top < bottom)
        SfmlBridge::appendBox(vertices, left, top, right, bottom, window_background_color, 1.f, 1.f);
    if (cell.ch == '\r' || isWhitespaceGlyph(cell.ch))
        return;
    const SfmlBridge::GlyphQuad &quad = cachedQuad(cell.ch);
    const float origin_x = glyphOrigin(cell.pixel_x);
    const float origin_y = glyphOrigin(cell.pixel_y);
    const float shown_right = hiddenFrom(i, quad.top + origin_y, quad.right + origin_x, quad.bottom + origin_y);
    SfmlBridge::appendClippedGlyphQuad(vertices, quad, sf::Color(cell.r, cell.g, cell.b, 255), origin_x, origin_y,
                                       run_left, run_top, std::min(run_right, shown_right), run_bottom);
}

float charWidth() {
    const DisplayManager &dm = DisplayManager::getInstance();
    return static_cast<float>(dm.getHorizontalPixels()) / static_cast<float>(dm.getHorizontalChars());
}

float charHeight() {
    const DisplayManager &dm = DisplayManager::getInstance();
    return static_cast<float>(dm.getVerticalPixels()) / static_cast<float>(dm.getVerticalChars());
}

Vector spacesToPixels(Vector spaces) {
    const Vector pixels(spaces.getX() * charWidth(), spaces.getY() * charHeight());
    LogManager &log = LogManager::getInstance();
    if (log.getLogLevel() >= 30)
        log.writeLog(30, "spacesToPixels(int): spaces (%.2f,%.2f) = pixels (%.2f,%.2f)",
                     static_cast<double>(spaces.getX()), static_cast<double>(spaces.getY()),
                     static_cast<double>(pixels.getX()), static_cast<double>(pixels.getY()));
    return pixels;
}

Vector pixelsToSpaces(Vector pixels) {
    const Vector spaces(pixels.getX() / charWidth(), pixels.getY() / charHeight());
    LogManager &log = LogManager::getInstance();
    if (log.getLogLevel() >= 30)
        log.writeLog(30, "pixelsToSpaces(): pixels (%.2f,%.2f) = spaces (%.2f,%.2f)",
                     static_cast<double>(pixels.getX()), static_cast<double>(pixels.getY()),
                     static_cast<double>(spaces.getX()), static_cast<double>(spaces.getY()));
    return spaces;
}

Vector worldToView(Vector world_pos) {
    return world_pos - WorldManager::getInstance().getView().getCorner();
}

Vector viewToWorld(Vector view_pos) {
    return view_pos + WorldManager::getInstance().getView().getCorner();
}

} // namespace nv
