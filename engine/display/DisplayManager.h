#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Glyph.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Vertex.hpp>

#include "core/Manager.h"
#include "display/CellBatch.h"
#include "display/Color.h"
#include "display/FrameTiles.h"
#include "display/SfmlBridge.h"
#include "world/Vector.h"

namespace nv {

/// The window and its grid of character cells; everything shown ends in its character operations.
class DisplayManager : public Manager {
public:
    /// The one display manager, created on first use.
    static DisplayManager &getInstance();
    DisplayManager(const DisplayManager &) = delete;
    DisplayManager &operator=(const DisplayManager &) = delete;
    ~DisplayManager() override;

    /// Opens the window, loads the font, prepares the cell rectangle and text; 0, or -1 on the first failure.
    int startUp() override;
    /// Closes and releases the window, text and rectangle.
    void shutDown() override;

    /// Draws one character in a named color; 0, or -1 when not started or without a window.
    int drawCharacter(Vector world_pos, char ch, Color color, float angle = 0);
    /// Draws one character in any opaque color: its background cell, then its glyph; 0 or -1.
    int drawCharacter(Vector world_pos, char ch, unsigned char r, unsigned char g, unsigned char b, float angle = 0);
    /// Draws a string along one row, justified around world_pos; 0 or -1.
    int drawString(Vector world_pos, std::string str, Justification just, Color color);
    /// Shows what was drawn since the last call, then clears the window; 0 or -1.
    int swapBuffers();

    /// Window width in cells.
    int getHorizontalChars() const { return window_horizontal_chars; }
    /// Window height in cells.
    int getVerticalChars() const { return window_vertical_chars; }
    /// Window width in pixels.
    int getHorizontalPixels() const { return window_horizontal_pixels; }
    /// Window height in pixels.
    int getVerticalPixels() const { return window_vertical_pixels; }
    /// The window, or null before start-up, when headless and after shut-down.
    sf::RenderWindow *getWindow() const { return window.get(); }
    /// The cell rectangle, or null when not started or headless.
    const sf::RectangleShape *getRectangle() const { return rectangle.get(); }
    /// The reused text object, or null when not started or headless.
    const sf::Text *getText() const { return text.get(); }
    /// The color the window is cleared to.
    sf::Color getBackgroundColor() const { return window_background_color; }

    /// Batched drawing (the default) renders a step's cells in one go; off, each character is drawn at once.
    void setBatching(bool new_batching);
    /// Whether drawing is batched.
    bool getBatching() const { return batching; }
    /// Renders the cells collected so far into the window; call before drawing into the window directly.
    int flush();
    /// With capture on and no window, drawing still succeeds and is collected, so a step can be read back.
    void setCapture(bool new_capture) { capture = new_capture; }
    /// Whether drawing without a window is collected.
    bool getCapture() const { return capture; }
    /// The cells drawn since the last swapBuffers, in call order.
    const CellBatch &getPending() const { return pending; }
    /// The cells the last swapBuffers showed.
    const CellBatch &getShown() const { return shown; }
    /// Tiles of the window the last composed picture redrew (all of them when it was drawn in full).
    std::size_t getRedrawnTiles() const { return redrawn_tiles; }
    /// Number of tiles the window is divided into for redrawing.
    std::size_t getTileCount() const { return tiles.count(); }
    /// On (the default), the last picture is kept in the window's own back buffer where the window can be shown
    /// by copying; off, or where it cannot, it is kept in an off-screen canvas.
    void setPictureInWindow(bool on);

private:
    DisplayManager();
    // A pixel box that glyphs drawn since the last clear may have touched; chained per grid bucket.
    struct Covered {
        float left;
        float top;
        float right;
        float bottom;
        int next;
    };

    int appendCell(Vector world_pos, char ch, unsigned char r, unsigned char g, unsigned char b, float angle,
                   bool headless);
    void setCellSize();
    void drawCellNow(sf::RenderTarget &target, const CellBatch::Cell &cell);
    const SfmlBridge::GlyphQuad &cachedQuad(char ch);
    void renderPending();
    void renderCells(sf::RenderTarget &target, std::size_t from, std::size_t to);
    bool composeFrame();
    void presentCanvas();
    void showWindow();
    bool fingerprintTiles();
    bool cellBox(const CellBatch::Cell &cell, float &left, float &top, float &right, float &bottom);
    bool backgroundVisible(float left, float top) const;
    float hiddenFrom(std::size_t i, float top, float right, float bottom) const;
    bool redrawChangedTiles(sf::RenderTarget &target, bool turned);
    void appendCellClipped(std::size_t i, const FrameTiles::Run &run);
    void clearWindow();
    void resetCoverage();
    void addCoverage(float left, float top, float right, float bottom);
    bool coverageWithin(float left, float top, float right, float bottom, float &c_left, float &c_top, float &c_right,
                        float &c_bottom) const;
    bool configHeadless() const;

    sf::Font font;
    std::unique_ptr<sf::RenderWindow> window;
    int window_horizontal_pixels;
    int window_vertical_pixels;
    int window_horizontal_chars;
    int window_vertical_chars;
    std::unique_ptr<sf::RectangleShape> rectangle;
    sf::Color window_background_color;
    std::unique_ptr<sf::Text> text;

    bool batching;
    bool capture;
    unsigned int character_size;
    CellBatch pending;
    CellBatch shown;
    std::size_t flushed;
    std::vector<sf::Vertex> vertices;
    std::array<const sf::Glyph *, 256> glyph_cache;
    // Where each loaded glyph's quad lies, valid where glyph_cache is set.
    std::array<SfmlBridge::GlyphQuad, 256> quad_cache;
    // charWidth(), charHeight() and the background cell's offset from a glyph's origin, fixed by startUp().
    float cell_width;
    float cell_height;
    float cell_shift_x;
    float cell_shift_y;
    // The target being rendered holds more than a fresh clear plus the glyph boxes recorded in covered.
    bool window_dirty;
    // The window holds this step's cells up to flushed, and later cells go straight into it.
    bool window_live;
    // flush() was called since the last swap, so something else may have drawn into the window.
    bool window_touched;
    // The picture composed last is the one already shown: nothing needs copying to the screen.
    bool nothing_changed;
    // The last shown picture, off screen; valid when it holds exactly the cells tiles kept.
    std::unique_ptr<sf::RenderTexture> canvas;
    bool canvas_valid;
    // The window can be shown by copying from its back buffer, and the last picture is kept there.
    bool show_by_copy;
    bool picture_in_window;
    // Only the changed runs need showing, as the rest of the screen already shows the same pixels.
    bool show_runs_only;
    int shows_since_full_copy;
    FrameTiles tiles;
    std::size_t redrawn_tiles;
    int grid_cols;
    int grid_rows;
    std::vector<int> grid_head;
    std::vector<Covered> covered;
};

/// Width of one cell in pixels.
float charWidth();
/// Height of one cell in pixels.
float charHeight();
/// Spaces to pixels by the cell size.
Vector spacesToPixels(Vector spaces);
/// Pixels to spaces by the cell size.
Vector pixelsToSpaces(Vector pixels);
/// A world position relative to the corner of the current view.
Vector worldToView(Vector world_pos);
/// A view position moved back into the world by the view's corner.
Vector viewToWorld(Vector view_pos);

} // namespace nv
