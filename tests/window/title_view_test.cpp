// Real frames of the title once its zoom-in has ended, at 640x480 and
// 1024x768: the name lying in the ground is in view with nothing crossing
// it, and where "press start" blinks there is open cave, so the text stands
// on the dark background.
#include <cmath>
#include <vector>

#include "app/game_run.h"
#include "content/levels.h"
#include "tests/window/draw_window.h"

namespace {

// Where the title drawing lays the name, world units, with a little room
// around the letters; the hatching keeps a wider margin than this.
constexpr float name_left = -0.88f, name_right = 2.01f;
constexpr float name_top = 0.97f, name_bottom = 1.92f;

// The "press start" text: 11 cells of 20 pixels from half the width less
// 110, 50 pixels below the centre (the HUD's layout), with 3 pixels around.
Box press_start_box(int width, int height) {
    return Box{width / 2 - 113, height / 2 + 47, width / 2 + 113, height / 2 + 73};
}

struct Size {
    int width, height;
};

class TitleView : public DrawWindow, public ::testing::WithParamInterface<Size> {};

TEST_P(TitleView, NameInViewAndPressStartOnOpenCave) {
    const int width = GetParam().width, height = GetParam().height;
    open(width, height);

    // The name's own lines: those of the title lying wholly in its box.
    std::vector<Vec2> name_lines;
    for (int32_t i = 0; i + 1 < title_level.line_vertex_count; i += 2) {
        const Vec2 a = title_level.line_vertices[i], b = title_level.line_vertices[i + 1];
        auto in = [](Vec2 p) {
            return p.x > name_left && p.x < name_right && p.y > name_top && p.y < name_bottom;
        };
        if (in(a) && in(b)) name_lines.insert(name_lines.end(), {a, b});
    }
    ASSERT_GT(name_lines.size(), 40u) << "no name under the title's start";
    const LevelData name_only{title_level.start, static_cast<int32_t>(name_lines.size()),
                              name_lines.data(), 0, nullptr, 0, nullptr};
    LevelState name_level;
    name_level.load(&name_only);

    GameRun run;
    const auto no_controls = [](ControlInput&, GameFlow&) {};
    while (run.flow.state != Attract) run_frame(run, 1.0f / 60, no_controls, no_drawing);
    // Just after the zoom-in, while the body drops, and once it has settled;
    // the blink shows the text for the first half of each second.
    const float attract_start = run.flow.state_time;
    for (const float after : {0.0f, 0.1f, 0.5f, 1.0f, 3.0f}) {
        while (run.flow.state_time < attract_start + after) {
            run_frame(run, 1.0f / 60, no_controls, no_drawing);
        }
        ASSERT_EQ(run.flow.state, Attract);
        SCOPED_TRACE(::testing::Message() << width << "x" << height << ", " << after
                                          << " s after the zoom-in, body at " << run.ball.pos.x
                                          << ", " << run.ball.pos.y);
        const Vec2 body = run.ball.position();
        auto px = [&](float x) { return static_cast<int>(std::floor((x - body.x) * 100 + width / 2)); };
        auto py = [&](float y) { return static_cast<int>(std::floor((y - body.y) * 100 + height / 2)); };
        const Box name_box{px(name_left), py(name_top), px(name_right), py(name_bottom)};
        EXPECT_TRUE(name_box.x0 >= 0 && name_box.y0 >= 0 && name_box.x1 < width &&
                    name_box.y1 < height)
            << "the name lies out of view";

        GameFlow shown = run.flow;
        shown.state_time = std::floor(shown.state_time) + 0.25f;
        GameFlow hidden = run.flow;
        hidden.state_time = std::floor(hidden.state_time) + 0.75f;
        const Box text = press_start_box(width, height);
        const Frame with_text = render(shown, run.level, run.ball, Vec2(0, 0), true);
        EXPECT_GT(with_text.lit_count(text), 200) << "no \"press start\"";
        const Frame frame = render(hidden, run.level, run.ball, Vec2(0, 0), true);
        EXPECT_EQ(frame.lit_count(text), 0) << "level lines where \"press start\" is drawn";

        // Within the name's box the title lights exactly what the name alone
        // lights: no hatching or other line crosses it.
        const Frame name_alone = render(hidden, name_level, run.ball, Vec2(0, 0), true);
        int letters = 0, differ = 0;
        for (int y = std::max(0, name_box.y0); y <= std::min(height - 1, name_box.y1); ++y) {
            for (int x = std::max(0, name_box.x0); x <= std::min(width - 1, name_box.x1); ++x) {
                letters += name_alone.lit(x, y) ? 1 : 0;
                differ += frame.lit(x, y) != name_alone.lit(x, y) ? 1 : 0;
            }
        }
        EXPECT_GT(letters, 800) << "the name's letters are not drawn";
        EXPECT_EQ(differ, 0) << "other lines cross the name";
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TitleView, ::testing::Values(Size{640, 480}, Size{1024, 768}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
