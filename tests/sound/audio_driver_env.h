// Test helper: picks SDL's audio driver for one test and initialises SDL audio.
#pragma once

#include <SDL.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets the given environment variables (the driver among them), starts SDL's
// audio subsystem, and on the way out stops it and restores them. (Releasing a
// Synth closes the device, which stops the subsystem too; opening the next one
// starts it again with the same variables.)
class AudioDriverEnv {
public:
    explicit AudioDriverEnv(const std::vector<std::pair<std::string, std::string>>& vars) {
        for (const auto& [name, value] : vars) {
            const char* old = getenv(name.c_str());
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            setenv(name.c_str(), value.c_str(), 1);
        }
        ok_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    ~AudioDriverEnv() {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        for (const auto& [name, old] : saved_) {
            if (old) setenv(name.c_str(), old->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    AudioDriverEnv(const AudioDriverEnv&) = delete;
    AudioDriverEnv& operator=(const AudioDriverEnv&) = delete;

    bool ok() const { return ok_; }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    bool ok_ = false;
};
