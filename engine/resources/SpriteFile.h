#pragma once

#include <istream>
#include <list>
#include <string>

namespace nv {

class Frame;

/// Lines read so far from the sprite file being loaded; shared by the loaders for their messages.
extern int line_number;

/// One line of file without its line feed and one trailing carriage return; "" once the stream has failed.
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
