// Test helper: reads what SDL's disk audio driver wrote, one voice sample per
// element, whichever SDL 1.2 library wrote it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/sdl_library.h"

// The 16-bit little-endian slots of the file. The compatibility library
// opens its SDL 2 device in stereo and copies each
// slot of the game's mono buffer to both channels: there the pairs must agree
// and one of each is kept.
inline std::vector<int16_t> read_disk_audio(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> slots(bytes.size() / 2);
    for (size_t k = 0; k < slots.size(); ++k) {
        slots[k] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * k]) |
                                        (static_cast<uint8_t>(bytes[2 * k + 1]) << 8));
    }
    if (!sdl_is_compat_library()) return slots;
    std::vector<int16_t> left;
    for (size_t k = 0; k + 1 < slots.size(); k += 2) {
        if (slots[k] != slots[k + 1]) {
            ADD_FAILURE() << "stereo slot " << k / 2 << " differs between channels";
            break;
        }
        left.push_back(slots[k]);
    }
    return left;
}
