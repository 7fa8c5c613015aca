// The command-line scan, the full-screen size choice and the size limit.
#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Scan {
    Options options;
    std::string errors;
};

// Runs the scan on the arguments after a program name, capturing its messages.
Scan scan(std::vector<const char*> args) {
    args.insert(args.begin(), "grapnel");
    char* text = nullptr;
    size_t size = 0;
    FILE* sink = open_memstream(&text, &size);
    Scan result{scan_options(static_cast<int>(args.size()), args.data(), sink), ""};
    fclose(sink);
    result.errors.assign(text, size);
    free(text);
    return result;
}

struct ScanCase {
    const char* what;
    std::vector<const char*> args;
    bool fullscreen;
    int32_t width;
    int32_t height;
    const char* errors;
};

TEST(OptionScan, FollowsItsRules) {
    const ScanCase cases[] = {
        {"nothing given", {}, true, 0, 0, ""},
        {"windowed", {"--windowed"}, false, 0, 0, ""},
        {"both sizes", {"--width", "800", "--height", "600"}, true, 800, 600, ""},
        {"height in a window", {"--windowed", "--height", "600"}, false, 0, 600, ""},
        {"width as the last argument", {"--windowed", "--width"}, false, 0, 0,
         "Unknown option '--width'\n"},
        {"height as the only argument", {"--height"}, true, 0, 0, "Unknown option '--height'\n"},
        {"value is not a number", {"--width", "wide"}, true, 0, 0, ""},
        {"value read as far as it is a number", {"--height", "600px"}, true, 0, 600, ""},
        {"later value overrides", {"--width", "800", "--width", "1024"}, true, 1024, 0, ""},
        {"later 0 overrides", {"--height", "600", "--height", "0"}, true, 0, 0, ""},
        {"value consumed whatever it says", {"--width", "--windowed"}, true, 0, 0, ""},
        {"value consumed even if it is an option", {"--height", "--width", "300"}, true, 0, 0,
         "Unknown option '300'\n"},
        {"no range test", {"--width", "-5", "--height", "99999"}, true, -5, 99999, ""},
        {"matches are exact", {"--Width", "800", "--windowed=yes", "-windowed"}, true, 0, 0,
         "Unknown option '--Width'\nUnknown option '800'\n"
         "Unknown option '--windowed=yes'\nUnknown option '-windowed'\n"},
        {"empty argument", {"", "--width", "320"}, true, 320, 0, "Unknown option ''\n"},
        {"every unknown reported once per occurrence, scan goes on",
         {"--bogus", "--width", "800", "--bogus", "x", "--windowed", "--bogus"}, false, 800, 0,
         "Unknown option '--bogus'\nUnknown option '--bogus'\nUnknown option 'x'\n"
         "Unknown option '--bogus'\n"},
    };
    for (const ScanCase& c : cases) {
        const Scan s = scan(c.args);
        EXPECT_EQ(s.options.fullscreen, c.fullscreen) << c.what;
        EXPECT_EQ(s.options.width_option, c.width) << c.what;
        EXPECT_EQ(s.options.height_option, c.height) << c.what;
        EXPECT_EQ(s.errors, c.errors) << c.what;
    }
}

// A null-terminated mode list as SDL_ListModes gives it.
class ModeList {
public:
    explicit ModeList(std::vector<SDL_Rect> modes) : modes_(std::move(modes)) {
        for (SDL_Rect& m : modes_) pointers_.push_back(&m);
        pointers_.push_back(nullptr);
    }
    SDL_Rect** get() { return pointers_.data(); }

private:
    std::vector<SDL_Rect> modes_;
    std::vector<SDL_Rect*> pointers_;
};

SDL_Rect mode(Uint16 w, Uint16 h) { return SDL_Rect{0, 0, w, h}; }

constexpr ScreenSize default_size{640, 480};

TEST(FullScreenSize, FirstListedModeWithin1024x768Wins) {
    struct Case {
        const char* what;
        std::vector<SDL_Rect> modes;
        ScreenSize want;
    };
    const Case cases[] = {
        {"largest first", {mode(1600, 1200), mode(1280, 1024), mode(1024, 768), mode(800, 600)},
         {1024, 768}},
        {"all too large", {mode(1600, 1200), mode(1280, 1024), mode(1025, 768), mode(1024, 769)},
         default_size},
        {"list order, not size, decides", {mode(800, 600), mode(1024, 768)}, {800, 600}},
        {"one side within is not enough", {mode(1280, 720), mode(960, 900), mode(720, 480)},
         {720, 480}},
        {"empty list", {}, default_size},
    };
    for (const Case& c : cases) {
        ModeList list(c.modes);
        const ModeChoice choice = choose_fullscreen_size(list.get(), default_size);
        EXPECT_TRUE(choice.modes_available) << c.what;
        EXPECT_EQ(choice.size.width, c.want.width) << c.what;
        EXPECT_EQ(choice.size.height, c.want.height) << c.what;
    }
}

TEST(FullScreenSize, EverySizeKeepsTheDefaultAndNoModesIsReported) {
    const ModeChoice any = choose_fullscreen_size(reinterpret_cast<SDL_Rect**>(-1), default_size);
    EXPECT_TRUE(any.modes_available);
    EXPECT_EQ(any.size.width, 640);
    EXPECT_EQ(any.size.height, 480);

    EXPECT_FALSE(choose_fullscreen_size(nullptr, default_size).modes_available);
}

TEST(VideoSize, OnlySizesBeyondSixteenBitsAreRefused) {
    EXPECT_TRUE(video_size_representable({65535, 65535}));
    EXPECT_TRUE(video_size_representable({640, 480}));
    EXPECT_TRUE(video_size_representable({-5, -1}));  // SDL refuses these itself
    EXPECT_FALSE(video_size_representable({65536, 480}));
    EXPECT_FALSE(video_size_representable({640, 65536}));
    EXPECT_FALSE(video_size_representable({2147483647, 480}));
}

}  // namespace
