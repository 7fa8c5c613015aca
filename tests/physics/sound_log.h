// Test helper: records every play_sound request while alive (its own voice gives them somewhere to go).
#pragma once

#include <algorithm>
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
        clear();
        sound_request_observer = [](SoundProgram p, float volume, bool lock) { log().push_back({p, volume, lock}); };
    }
    ~SoundLog() { sound_request_observer = nullptr; }
    SoundLog(const SoundLog&) = delete;
    SoundLog& operator=(const SoundLog&) = delete;

    const std::vector<SoundRequest>& all() const { return log(); }
    int count(SoundProgram program) const {
        const auto same = [program](const SoundRequest& r) { return r.program == program; };
        return static_cast<int>(std::count_if(log().begin(), log().end(), same));
    }
    void clear() { log().clear(); }

private:
    static std::vector<SoundRequest>& log() {
        static std::vector<SoundRequest> requests;
        return requests;
    }
    SoundVoice voice;  // becomes current_voice
};
