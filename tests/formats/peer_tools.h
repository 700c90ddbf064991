#pragma once

// Runs the command-line peers that check the codecs, and reads the netpbm files they write.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

inline std::string RunCommand(const std::string& command, int* status = nullptr) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    int code = pclose(pipe.release());
    if (status) *status = code;
    return out;
}

inline bool HaveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A raw PBM, PGM or PPM as the reference decoder writes it.
struct Pnm {
    int width = 0, height = 0, channels = 0, maxval = 0;
    std::vector<int> samples;

    int Sample(int x, int y, int c) const {
        return samples[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)];
    }
};

inline Pnm ParsePnm(const std::string& bytes) {
    Pnm pnm;
    std::istringstream in(bytes);
    std::string magic;
    in >> magic >> pnm.width >> pnm.height;
    const bool bits = magic == "P4";
    pnm.maxval = bits ? 1 : 0;
    if (!bits) in >> pnm.maxval;
    pnm.channels = magic == "P6" ? 3 : 1;
    in.get();
    const std::string raster = bytes.substr(static_cast<size_t>(in.tellg()));
    const size_t count = size_t(pnm.width) * size_t(pnm.height) * size_t(pnm.channels);
    pnm.samples.resize(count);
    const auto* p = reinterpret_cast<const uint8_t*>(raster.data());
    const size_t rowBits = (size_t(pnm.width) + 7) / 8;
    for (size_t i = 0; i < count; ++i) {
        if (bits) {
            const size_t x = i % size_t(pnm.width), y = i / size_t(pnm.width);
            pnm.samples[i] = (p[y * rowBits + x / 8] >> (7 - x % 8)) & 1 ? 0 : 1; // PBM: 1 is black
        } else {
            pnm.samples[i] = pnm.maxval > 255 ? p[2 * i] << 8 | p[2 * i + 1] : p[i];
        }
    }
    return pnm;
}
