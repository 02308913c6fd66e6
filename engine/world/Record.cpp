#include "world/Record.h"

#include <climits>

namespace nv {

void Record::writeBool(std::stringstream *p_ss, bool value) {
    const unsigned char byte = value ? 1 : 0;
    write(p_ss, byte);
}

bool Record::readBool(std::stringstream *p_ss, bool &value) {
    unsigned char byte = 0;
    if (!read(p_ss, byte)) {
        return false;
    }
    value = byte != 0;
    return true;
}

void Record::writeText(std::stringstream *p_ss, const std::string &text) {
    const std::uint64_t length = text.size();
    write(p_ss, length);
    p_ss->write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::uint64_t Record::remaining(std::stringstream *p_ss) {
    // Asking for the position of a stream at its end would fail it, and nothing is left there anyway.
    if (!p_ss->good()) {
        return 0;
    }
    const std::streampos here = p_ss->tellg();
    p_ss->seekg(0, std::ios::end);
    const std::streampos end = p_ss->tellg();
    p_ss->seekg(here);
    if (here < 0 || end < here) {
        return 0;
    }
    return static_cast<std::uint64_t>(end - here);
}

bool Record::readChars(std::stringstream *p_ss, std::uint64_t length, std::string &text) {
    if (length > remaining(p_ss)) {
        return false;
    }
    std::string buffer(static_cast<std::size_t>(length), '\0');
    if (length > 0 && !p_ss->read(&buffer[0], static_cast<std::streamsize>(length))) {
        return false;
    }
    text.swap(buffer);
    return true;
}

void Record::fail(std::stringstream *p_ss) {
    p_ss->setstate(std::ios::failbit);
}

int Record::lengthForLog(std::uint64_t length) {
    return length > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

} // namespace nv
