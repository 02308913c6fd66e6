#pragma once

#include <cstdint>
#include <istream>
#include <list>
#include <string>

namespace nv {

class Frame;

// Limits no real sprite comes near (the largest shipped file is under 1 KB), so that a hostile file is refused
// early and cheaply instead of filling memory.
/// Longest line of a sprite file, in characters without the line feed.
constexpr int MAX_SPRITE_LINE_LENGTH = 1024;
/// Largest number of frames a sprite file may declare.
constexpr int MAX_SPRITE_FRAMES = 1000;
/// Largest frame, in characters (width x height).
constexpr int MAX_SPRITE_FRAME_SIZE = 16384;
/// Largest sprite file, in bytes.
constexpr int MAX_SPRITE_FILE_SIZE = 512 * 1024;

/// Lines read so far from the sprite file being loaded; shared by the loaders for their messages.
extern int line_number;
/// Bytes read so far by getLine from the sprite file being loaded; the loaders set it to 0 when they begin.
extern std::int64_t sprite_bytes_read;

/// Whether a sprite of these dimensions fits the limits; if not, logs for who which limit and on which line.
bool withinSpriteLimits(const char *who, int frames, int frames_line, int width, int height, int size_line);

/// One line of file without its line feed and one trailing carriage return; "" once the stream has failed.
/// A line or file over its limit is logged, marks the stream bad (so loaders stop at once) and gives "".
std::string getLine(std::istream &file, bool count);
/// The lines between "<tag>" and "</tag>"; empty when the section is missing, unterminated or holds a blank line.
std::list<std::string> readData(std::istream &file, std::string tag);
/// atoi of the value of the last line starting with tag (such lines are removed); -1 if none.
int matchLineInt(std::list<std::string> &lines, const char *tag);
/// The text value of the last line starting with tag (such lines are removed); "" if none.
std::string matchLineStr(std::list<std::string> &lines, const char *tag);
/// Takes one "end"-terminated frame off the front of lines; the empty frame when it is malformed.
Frame parseFrame(std::list<std::string> &lines, int width, int height, int line);

} // namespace nv
