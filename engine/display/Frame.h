#pragma once

#include <string>

#include "display/Color.h"
#include "world/Vector.h"

namespace nv {

/// One picture of a sprite: width x height characters, row after row.
class Frame {
public:
    /// The empty frame (0 x 0, no characters); drawing it draws nothing.
    Frame();
    /// A frame of the given size holding frame_str row after row.
    Frame(int new_width, int new_height, std::string frame_str);

    /// Characters per row.
    int getWidth() const { return width; }
    /// Number of rows.
    int getHeight() const { return height; }
    /// The characters, row after row.
    std::string getString() const { return frame_str; }
    /// Read-only view of the characters, for callers that must not copy.
    const std::string &getStringRef() const { return frame_str; }

    /// Draws the frame centred on position, skipping the transparent character; 0, or -1 at the first failed draw.
    int draw(Vector position, Color color, char transparency) const;

private:
    int width;
    int height;
    std::string frame_str;
};

} // namespace nv
