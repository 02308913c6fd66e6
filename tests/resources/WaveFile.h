#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace nv_test {

/// Samples of a WAV file, every channel folded into one by taking the loudest.
struct WaveData {
    int sample_rate = 0;
    std::vector<float> samples;
};

inline void putLe(std::string &out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

/// A mono 16-bit PCM WAV holding a sine tone.
inline std::string sineWave(double seconds, double frequency, double amplitude, int sample_rate = 22050) {
    const std::uint32_t count = static_cast<std::uint32_t>(seconds * sample_rate);
    std::string out = "RIFF";
    putLe(out, 36 + count * 2, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 1, 2);
    putLe(out, static_cast<std::uint32_t>(sample_rate), 4);
    putLe(out, static_cast<std::uint32_t>(sample_rate) * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, count * 2, 4);
    for (std::uint32_t i = 0; i < count; i++) {
        const double value = amplitude * std::sin(2.0 * 3.14159265358979323846 * frequency * i / sample_rate);
        putLe(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 32767.0)), 2);
    }
    return out;
}

inline std::uint32_t getLe(const std::string &in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes && at + i < in.size(); i++) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return value;
}

/// Reads 16-bit PCM or 32-bit float WAV data (plain or extensible format); empty samples when unreadable.
inline WaveData readWave(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    const std::string in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    WaveData wave;
    if (in.size() < 12 || in.compare(0, 4, "RIFF") != 0 || in.compare(8, 4, "WAVE") != 0) {
        return wave;
    }
    int format = 0;
    int channels = 0;
    int bits = 0;
    std::size_t at = 12;
    while (at + 8 <= in.size()) {
        const std::string id = in.substr(at, 4);
        std::size_t size = getLe(in, at + 4, 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            format = static_cast<int>(getLe(in, body, 2));
            channels = static_cast<int>(getLe(in, body + 2, 2));
            wave.sample_rate = static_cast<int>(getLe(in, body + 4, 4));
            bits = static_cast<int>(getLe(in, body + 14, 2));
            if (format == 0xfffe) {
                format = static_cast<int>(getLe(in, body + 24, 2));
            }
        } else if (id == "data") {
            // A writer that was not closed leaves the size at 0; then the data runs to the end of the file.
            if (size == 0 || body + size > in.size()) {
                size = in.size() - body;
            }
            const int frame_bytes = channels * bits / 8;
            if (frame_bytes <= 0) {
                return wave;
            }
            for (std::size_t frame = body; frame + frame_bytes <= body + size; frame += frame_bytes) {
                float loudest = 0.0f;
                for (int c = 0; c < channels; c++) {
                    const std::size_t sample_at = frame + static_cast<std::size_t>(c) * (bits / 8);
                    float value = 0.0f;
                    if (format == 1 && bits == 16) {
                        value = static_cast<std::int16_t>(getLe(in, sample_at, 2)) / 32768.0f;
                    } else if (format == 3 && bits == 32) {
                        const std::uint32_t raw = getLe(in, sample_at, 4);
                        std::memcpy(&value, &raw, sizeof(value));
                    }
                    if (std::fabs(value) > std::fabs(loudest)) {
                        loudest = value;
                    }
                }
                wave.samples.push_back(loudest);
            }
            return wave;
        }
        at = body + size + (size & 1);
    }
    return wave;
}

} // namespace nv_test
