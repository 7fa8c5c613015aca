// Test helper: picks SDL's audio driver for one test and initialises SDL audio.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Sets the given environment variables (the driver among them), starts SDL's
// audio subsystem, and on the way out stops it and restores them. (Releasing a
// Synth closes the device, which stops the subsystem too; opening the next one
// starts it again with the same variables.)
class AudioDriverEnv {
public:
    explicit AudioDriverEnv(std::vector<std::pair<std::string, std::string>> vars) {
        for (auto& [name, value] : vars) {
            const char* old = getenv(name.c_str());
            saved_.push_back({name, old ? std::string(old) : std::string(), old != nullptr});
            setenv(name.c_str(), value.c_str(), 1);
        }
        ok_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    ~AudioDriverEnv() {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        for (const Saved& s : saved_) {
            if (s.was_set) setenv(s.name.c_str(), s.value.c_str(), 1);
            else unsetenv(s.name.c_str());
        }
    }
    AudioDriverEnv(const AudioDriverEnv&) = delete;
    AudioDriverEnv& operator=(const AudioDriverEnv&) = delete;

    bool ok() const { return ok_; }

private:
    struct Saved {
        std::string name, value;
        bool was_set;
    };
    std::vector<Saved> saved_;
    bool ok_ = false;
};
