// The callback's output side: 16-bit conversion, saturation and the runs of 256.
#include "sound/sample_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Truncation toward zero inside the range, saturation beyond it.
TEST(SampleOutput, ConversionTruncatesAndSaturates) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case { float sample; int16_t slot; };
    const Case cases[] = {
        {1.0f, 32767}, {-1.0f, -32767}, {0.99999f, 32766}, {-0.5f, -16383},
        {0.5f, 16383}, {0.0f, 0}, {-0.0f, 0}, {0.00002f, 0}, {-0.00004f, -1},
        {1.00001f, 32767}, {1.5f, 32767}, {1e30f, 32767}, {inf, 32767},
        {-1.00001f, -32767},  // -32767.3 still fits: truncated, not saturated
        {-1.00004f, -32768}, {-1.5f, -32768}, {-1e30f, -32768}, {-inf, -32768},
        {std::nanf(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(sample_to_s16(c.sample), c.slot) << c.sample;
}

struct RunCase {
    int len;
    std::vector<int32_t> runs;
};

// Fills a buffer with len bytes (plus guard bytes) from a renderer that counts
// its samples, and checks the runs it was asked for and every byte written.
TEST(SampleOutput, StreamIsFilledInRunsOfAtMost256) {
    const RunCase cases[] = {
        {1024, {256, 256}}, {600, {256, 44}}, {601, {256, 44}}, {512, {256}},
        {2, {1}}, {1, {}}, {0, {}}, {-4, {}}, {1538, {256, 256, 256, 1}},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.len);
        const size_t size = static_cast<size_t>(c.len > 0 ? c.len : 0);
        std::vector<uint8_t> stream(size + 8, 0xab);
        float run[mix_run_samples + 1];
        run[mix_run_samples] = 42.0f;  // guard past the end of the run buffer
        std::vector<int32_t> runs;
        int32_t next = 0;
        fill_s16_stream(stream.data(), c.len, run, [&](float* out, int32_t n) {
            runs.push_back(n);
            // Distinct sample per slot: slot k gets (k + 0.5) / 32767, which
            // truncates to k.
            for (int32_t i = 0; i < n; ++i) out[i] = (static_cast<float>(next++) + 0.5f) / 32767.0f;
        });
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(run[mix_run_samples], 42.0f);
        const size_t slots = size / 2;
        for (size_t k = 0; k < slots; ++k) {
            const int value = stream[2 * k] | (stream[2 * k + 1] << 8);
            ASSERT_EQ(value, static_cast<int>(k)) << "slot " << k;
        }
        for (size_t b = 2 * slots; b < stream.size(); ++b) ASSERT_EQ(stream[b], 0xab) << "byte " << b;
    }
}

TEST(SampleOutput, SlotsAreLittleEndianTwosComplement) {
    uint8_t stream[6] = {};
    float run[mix_run_samples];
    const float samples[] = {0.5f, -0.5f, -2.0f};
    fill_s16_stream(stream, 6, run, [&](float* out, int32_t n) {
        for (int32_t i = 0; i < n; ++i) out[i] = samples[i];
    });
    const uint8_t expected[6] = {0xff, 0x3f, 0x01, 0xc0, 0x00, 0x80};  // 16383, -16383, -32768
    for (int i = 0; i < 6; ++i) EXPECT_EQ(stream[i], expected[i]) << "byte " << i;
}

}  // namespace
