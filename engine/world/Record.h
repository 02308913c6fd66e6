#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>

namespace nv {

/// Raw host-order reads and writes of the engine's byte records; reads never trust a length the stream cannot hold.
class Record {
public:
    Record() = delete;

    /// Appends the value's raw bytes.
    template <typename T> static void write(std::stringstream *p_ss, const T &value) {
        static_assert(std::is_arithmetic<T>::value, "records hold plain numbers only");
        p_ss->write(reinterpret_cast<const char *>(&value), sizeof(value));
    }

    /// Reads sizeof(T) raw bytes into value; on a short or failed stream returns false and leaves value alone.
    template <typename T> static bool read(std::stringstream *p_ss, T &value) {
        static_assert(std::is_arithmetic<T>::value && !std::is_same<T, bool>::value,
                      "bools are read with readBool, so that a stray byte cannot become an invalid bool");
        char bytes[sizeof(T)];
        if (!p_ss->read(bytes, sizeof(T))) {
            return false;
        }
        std::memcpy(&value, bytes, sizeof(T));
        return true;
    }

    /// Appends a bool as one byte, 0 or 1.
    static void writeBool(std::stringstream *p_ss, bool value);
    /// Reads one byte as a bool (any non-zero byte is true); false return on a short or failed stream.
    static bool readBool(std::stringstream *p_ss, bool &value);
    /// Appends the 64-bit length and the characters.
    static void writeText(std::stringstream *p_ss, const std::string &text);
    /// Bytes still unread; 0 for a failed or exhausted stream.
    static std::uint64_t remaining(std::stringstream *p_ss);
    /// Reads length characters into text when the stream holds them; false (nothing allocated) otherwise.
    static bool readChars(std::stringstream *p_ss, std::uint64_t length, std::string &text);
    /// Marks the stream failed, so its final check reports it and later reads take nothing.
    static void fail(std::stringstream *p_ss);
    /// The length clamped into an int, for log lines that print it with %d.
    static int lengthForLog(std::uint64_t length);
};

} // namespace nv
