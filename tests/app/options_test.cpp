// The command-line scan, the full-screen mode choice and the size limit.
#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Bad arguments are reported one by one and the scan goes on.
TEST(OptionScan, FollowsItsRules) {
    // clang-format off
    const struct {
        const char* what;
        std::vector<const char*> args;
        bool fullscreen;
        int32_t width, height;
        const char* errors;
    } cases[] = {
        {"nothing given", {}, true, 0, 0, ""},
        {"windowed", {"--windowed"}, false, 0, 0, ""},
        {"both sizes", {"--width", "800", "--height", "600"}, true, 800, 600, ""},
        {"height in a window", {"--windowed", "--height", "600"}, false, 0, 600, ""},
        {"width as the last argument", {"--windowed", "--width"}, false, 0, 0, "Unknown option '--width'\n"},
        {"height as the only argument", {"--height"}, true, 0, 0, "Unknown option '--height'\n"},
        {"value is not a number", {"--width", "wide"}, true, 0, 0, ""},
        {"value read as far as it is a number", {"--height", "600px"}, true, 0, 600, ""},
        {"later value overrides", {"--width", "800", "--width", "1024"}, true, 1024, 0, ""},
        {"later 0 overrides", {"--height", "600", "--height", "0"}, true, 0, 0, ""},
        {"value consumed whatever it says", {"--width", "--windowed"}, true, 0, 0, ""},
        {"value consumed even if an option", {"--height", "--width", "300"}, true, 0, 0, "Unknown option '300'\n"},
        {"no range test", {"--width", "-5", "--height", "99999"}, true, -5, 99999, ""},
        {"matches are exact", {"--Width", "800", "--windowed=yes", "-windowed"}, true, 0, 0,
         "Unknown option '--Width'\nUnknown option '800'\nUnknown option '--windowed=yes'\nUnknown option '-windowed'\n"},
        {"empty argument", {"", "--width", "320"}, true, 320, 0, "Unknown option ''\n"},
        {"each unknown once per occurrence", {"--bogus", "--width", "800", "--bogus", "x", "--windowed", "--bogus"},
         false, 800, 0, "Unknown option '--bogus'\nUnknown option '--bogus'\nUnknown option 'x'\nUnknown option '--bogus'\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"grapnel"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        char* text = nullptr;
        size_t size = 0;
        FILE* errors = open_memstream(&text, &size);
        const Options options = scan_options(static_cast<int>(argv.size()), argv.data(), errors);
        fclose(errors);
        EXPECT_EQ(std::string(text, size), c.errors) << c.what;
        free(text);
        EXPECT_EQ(options.fullscreen, c.fullscreen) << c.what;
        EXPECT_EQ(options.width_option, c.width) << c.what;
        EXPECT_EQ(options.height_option, c.height) << c.what;
    }
}

// SDL_ListModes' answers: a null-terminated list, "every size" or none;
// and the largest size SDL can pass on.
TEST(ScreenSize, FullScreenModeChoiceAndTheSixteenBitLimit) {
    // clang-format off
    enum Answer { List, EverySize, NoModes };
    constexpr ScreenSize fallback{640, 480};
    const struct {
        const char* what;
        Answer answer;
        std::vector<SDL_Rect> modes;
        ScreenSize want;
    } cases[] = {
        {"largest first", List, {{0, 0, 1600, 1200}, {0, 0, 1280, 1024}, {0, 0, 1024, 768}, {0, 0, 800, 600}},
         {1024, 768}},
        {"all too large", List, {{0, 0, 1600, 1200}, {0, 0, 1025, 768}, {0, 0, 1024, 769}}, fallback},
        {"list order, not size, decides", List, {{0, 0, 800, 600}, {0, 0, 1024, 768}}, {800, 600}},
        {"one side within is not enough", List, {{0, 0, 1280, 720}, {0, 0, 960, 900}, {0, 0, 720, 480}}, {720, 480}},
        {"empty list", List, {}, fallback},
        {"every size", EverySize, {}, fallback},
        {"no modes", NoModes, {}, fallback},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::vector<SDL_Rect> modes = c.modes;
        std::vector<SDL_Rect*> list(modes.size() + 1, nullptr);
        for (size_t i = 0; i < modes.size(); ++i) list[i] = &modes[i];
        SDL_Rect** answer = c.answer == List ? list.data() : c.answer == EverySize ? reinterpret_cast<SDL_Rect**>(-1)
                                                                                   : nullptr;
        const ModeChoice choice = choose_fullscreen_size(answer, fallback);
        EXPECT_EQ(choice.modes_available, c.answer != NoModes) << c.what;
        EXPECT_EQ(choice.size.width, c.want.width) << c.what;
        EXPECT_EQ(choice.size.height, c.want.height) << c.what;
    }
    const struct {
        ScreenSize size;
        bool representable;
    } sizes[] = {
        {{65535, 65535}, true},
        {{640, 480}, true},
        {{-5, -1}, true},  // SDL refuses these itself
        {{65536, 480}, false},
        {{640, 65536}, false},
        {{2147483647, 480}, false},
    };
    for (const auto& s : sizes) {
        EXPECT_EQ(video_size_representable(s.size), s.representable) << s.size.width << "x" << s.size.height;
    }
}

}  // namespace
