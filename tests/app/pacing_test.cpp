// Frame pacing on millisecond tick readings, the wrap of the counter included.
#include "app/pacing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr float untouched = -1.0f;  // dt before a call that must not write it

TEST(Pacing, FrameGoesAheadOnlyAfterMoreThanOneHundredTwentiethOfASecond) {
    const struct {
        uint32_t last, now;
        bool go;
        float dt;
    } cases[] = {
        {1000, 1000, false, untouched},
        {1000, 1008, false, untouched},  // 0.008 s is not more than 1/120
        {1000, 1009, true, 0.009f},
        {1000, 1017, true, 0.017f},
        {0, 3600000, true, 3600.0f},         // a stall of an hour, unclamped
        {0xFFFFFFF8u, 5, true, 0.013f},      // across the wrap of the counter
        {0xFFFFFFFCu, 4, false, untouched},  // 8 ms across the wrap
        {0xFFFFFFFFu, 8, true, 0.009f},
        {0, 0xFFFFFFFFu, true, 4294967.295f},  // the largest gap the counter can show
    };
    for (const auto& c : cases) {
        uint32_t last_ticks = c.last;
        float dt = untouched;
        EXPECT_EQ(frame_ready(c.now, last_ticks, dt), c.go) << c.last << " -> " << c.now;
        EXPECT_EQ(last_ticks, c.go ? c.now : c.last) << c.last << " -> " << c.now;
        EXPECT_EQ(dt, c.dt) << c.last << " -> " << c.now;
    }
    // A clock read every millisecond lets a frame go every 9 ms, through the
    // wrap: at most about 111 frames a second.
    uint32_t last_ticks = 0xFFFFFFF0u;
    int frames = 0;
    for (uint32_t now = last_ticks + 1; now != 0xFFFFFFF0u + 1000u; ++now) {
        float dt = untouched;
        if (!frame_ready(now, last_ticks, dt)) continue;
        ++frames;
        EXPECT_EQ(dt, 0.009f) << now;
    }
    EXPECT_EQ(frames, 111);
}

}  // namespace
