// Test helper: records every play_sound request while alive, on a voice of
// its own so play_sound has somewhere to go.
#pragma once

#include <vector>

#include "sound/synth.h"
#include "sound/voice.h"

struct SoundRequest {
    SoundProgram program;
    float volume;
    bool lock;
};

class SoundLog {
public:
    SoundLog() {
        requests().clear();
        sound_request_observer = &record;
    }
    ~SoundLog() { sound_request_observer = nullptr; }
    SoundLog(const SoundLog&) = delete;
    SoundLog& operator=(const SoundLog&) = delete;

    const std::vector<SoundRequest>& all() const { return requests(); }
    int count(SoundProgram program) const {
        int n = 0;
        for (const SoundRequest& r : requests()) n += r.program == program ? 1 : 0;
        return n;
    }
    void clear() { requests().clear(); }

private:
    static std::vector<SoundRequest>& requests() {
        static std::vector<SoundRequest> log;
        return log;
    }
    static void record(SoundProgram program, float volume, bool lock) {
        requests().push_back(SoundRequest{program, volume, lock});
    }

    SoundVoice voice;  // becomes current_voice
};
