// Formatting HUD text into its fixed buffer and the glyph of each cell.
#include "content/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/shapes.h"

namespace {

// The figure of every cell of a formatted text, null for an empty cell:
// what draw_text walks through.
std::vector<const LineShape*> cells(const char* text) {
    std::vector<const LineShape*> out;
    for (const char* c = text; *c != '\0'; ++c) {
        out.push_back(find_glyph(static_cast<unsigned char>(*c)));
    }
    return out;
}

TEST(FormatText, LongOutputIsCutAfterItsNinetyNinthCharacter) {
    const struct {
        size_t length;
        size_t kept;
    } cases[] = {{0, 0}, {1, 1}, {98, 98}, {99, 99}, {100, 99}, {150, 99}, {1000, 99}};
    for (const auto& c : cases) {
        std::string source;
        for (size_t i = 0; i < c.length; ++i) source += static_cast<char>('a' + i % 26);
        char out[text_buffer_size];
        format_text(out, "%s", source.c_str());
        EXPECT_EQ(std::string(out), source.substr(0, c.kept)) << c.length;
    }
}

// "press start" has an empty sixth cell, a minus sign leaves a blank, "$"
// shows the gem.
TEST(TextCells, CharactersWithoutGlyphLeaveEmptyCells) {
    const std::vector<const LineShape*> press = cells("press start");
    ASSERT_EQ(press.size(), 11u);
    for (size_t i = 0; i < press.size(); ++i) EXPECT_EQ(press[i] == nullptr, i == 5) << "cell " << i;
    char minus[text_buffer_size];
    format_text(minus, "%d$", -5);
    EXPECT_EQ(cells(minus), (std::vector<const LineShape*>{nullptr, find_glyph('5'), &shape_gem}));
}

}  // namespace
