// Fuzz target for the command-line scan: any list of arguments from the fuzz bytes, every string and
// the list itself in heap blocks of exactly their size, so that AddressSanitizer catches a read past an
// argument's end or past the last argument. The scan must not crash, must report exactly the arguments
// it does not take, and take the rest as the game's three options.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/options.h"

namespace {

constexpr size_t max_arguments = 64;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "options_fuzz: %s\n", what);
    std::abort();
}

// Common words first, so that the fuzzer meets the options often.
const char* const words[] = {"--width", "--height", "--windowed", "640", "-1", "99999999999", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Arguments: a byte below 8 names a common word (or ends a raw one), the other bytes make up raw ones.
    std::vector<char*> args;
    args.push_back(strdup("grapnel"));
    std::vector<char> raw;
    auto finish_raw = [&]() {
        if (raw.empty()) return;
        args.push_back(strndup(raw.data(), raw.size()));  // no byte is 0: a block of exactly size + 1
        raw.clear();
    };
    for (size_t i = 0; i < size && args.size() < max_arguments; ++i) {
        if (data[i] < 8) {
            finish_raw();
            if (data[i] < 7) args.push_back(strdup(words[data[i]]));
        } else {
            raw.push_back(static_cast<char>(data[i]));
        }
    }
    if (args.size() < max_arguments) finish_raw();
    const int argc = static_cast<int>(args.size());
    // No terminating null: the scan must stop at argc.
    char** argv = static_cast<char**>(std::malloc(sizeof(char*) * args.size()));
    std::memcpy(argv, args.data(), sizeof(char*) * args.size());

    char* report = nullptr;
    size_t report_size = 0;
    FILE* errors = open_memstream(&report, &report_size);
    if (!errors) broken("open_memstream failed");
    const Options options = scan_options(argc, argv, errors);
    std::fclose(errors);

    // What the scan must have done, worked out independently: a value follows --width or --height
    // whatever it says; an option at the very end has no value and is unknown like any stray argument.
    Options expected;
    std::string expected_report;
    for (int i = 1; i < argc; ++i) {
        const bool width = std::strcmp(argv[i], "--width") == 0;
        const bool height = std::strcmp(argv[i], "--height") == 0;
        if ((width || height) && i + 1 < argc) {
            (width ? expected.width_option : expected.height_option) = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--windowed") == 0) {
            expected.fullscreen = false;
        } else {
            expected_report += std::string("Unknown option '") + argv[i] + "'\n";
        }
    }
    if (options.fullscreen != expected.fullscreen) broken("full screen does not follow --windowed");
    if (options.width_option != expected.width_option) broken("wrong width");
    if (options.height_option != expected.height_option) broken("wrong height");
    if (std::string(report, report_size) != expected_report) broken("wrong report of unknown options");
    std::free(report);

    for (char* s : args) std::free(s);
    std::free(argv);
    return 0;
}
