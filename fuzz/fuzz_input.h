// Reads fuzz bytes as the values a query takes: raw floats of any kind (NaN,
// infinities, subnormals), or picks from a few values that make degenerate
// geometry (equal endpoints, a centre on a wall) likely.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "physics/vec2.h"

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : p(data), end(data + size) {}

    uint8_t byte() { return p < end ? *p++ : 0; }

    // bounded: finite and within +-max_coordinate, where no product of two
    // values can overflow f32 and every rule that promises a number must keep it.
    float value(bool bounded) {
        const uint8_t selector = byte();
        float v;
        if (selector < 64) {
            static const float palette[] = {0.0f, 1.0f, -1.0f, 0.5f, 0.125f, 0.1251f, 0.0001f, 1e-6f,
                                            -0.125f, 2.2f, 0.3f, 3.0f, -3.0f, 1e-30f, 0.25f, 100.0f};
            v = selector < 48 ? palette[selector % 16] : last[selector % 4];
        } else {
            uint8_t raw[4] = {byte(), byte(), byte(), byte()};
            std::memcpy(&v, raw, sizeof v);
        }
        if (bounded) {
            if (!std::isfinite(v)) v = 0.0f;
            if (std::fabs(v) > max_coordinate) v = std::fmod(v, max_coordinate);
        }
        last[count++ % 4] = v;
        return v;
    }

    Vec2 vec(bool bounded) {
        const float x = value(bounded);
        return Vec2(x, value(bounded));
    }

    static constexpr float max_coordinate = 1000.0f;  // world units

private:
    const uint8_t* p;
    const uint8_t* end;
    float last[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    unsigned count = 0;
};
