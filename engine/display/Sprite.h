#pragma once

#include <memory>
#include <string>

#include "display/Color.h"
#include "display/Frame.h"
#include "world/Vector.h"

namespace nv {

/// A labelled sequence of equally sized frames with one color, a slowdown and a transparent character.
class Sprite {
public:
    /// A sprite able to hold max_frames frames (capacity 0 when they cannot be allocated).
    explicit Sprite(int max_frames);
    ~Sprite();
    Sprite(const Sprite &) = delete;
    Sprite &operator=(const Sprite &) = delete;

    /// Appends a copy of the frame; -1 when the sprite is full.
    int pushFrame(Frame new_frame);
    /// A copy of frame i, or the empty frame when i is out of range.
    Frame getFrame(int i) const;
    /// Number of frames added so far.
    int getFrameCount() const { return frame_count; }
    /// Capacity of the frame array.
    int getMaxFrameCount() const { return max_frame_count; }

    /// Sets the width of every frame.
    void setWidth(int new_width) { width = new_width; }
    /// Width of every frame, in characters.
    int getWidth() const { return width; }
    /// Sets the height of every frame.
    void setHeight(int new_height) { height = new_height; }
    /// Height of every frame, in characters.
    int getHeight() const { return height; }
    /// Sets the color of every character.
    void setColor(Color new_color) { color = new_color; }
    /// Color of every character.
    Color getColor() const { return color; }
    /// Sets how many draws each frame stays on screen.
    void setSlowdown(int new_slowdown) { slowdown = new_slowdown; }
    /// How many draws each frame stays on screen.
    int getSlowdown() const { return slowdown; }
    /// Sets the character that is not drawn (0: none).
    void setTransparency(char new_transparency) { transparency = new_transparency; }
    /// The character that is not drawn (0: none).
    char getTransparency() const { return transparency; }
    /// Sets the name the sprite is found by.
    void setLabel(std::string new_label) { label = std::move(new_label); }
    /// The name the sprite is found by.
    std::string getLabel() const { return label; }

    /// Draws frame frame_number at position in the sprite's color; out of range draws nothing and returns 0.
    int draw(int frame_number, Vector position, char transparency) const;

private:
    int width;
    int height;
    int max_frame_count;
    int frame_count;
    Color color;
    int slowdown;
    char transparency;
    std::unique_ptr<Frame[]> frames;
    std::string label;
};

} // namespace nv
