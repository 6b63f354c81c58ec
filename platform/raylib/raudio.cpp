// The audio device: opened through SDL and fed silence, since the game plays no sound yet.
// Without sound hardware only the library's warning is printed.
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstring>

namespace {

SDL_AudioDeviceID audio_device = 0;

void SDLCALL fill_silence(void*, Uint8* stream, int length) { std::memset(stream, 0, static_cast<std::size_t>(length)); }

}  // namespace

void InitAudioDevice(void) {
    if (audio_device) {
        TraceLog(LOG_WARNING, "AUDIO: Device already initialized");
        return;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        TraceLog(LOG_WARNING, "AUDIO: Failed to initialize playback device");
        return;
    }
    SDL_AudioSpec wanted = {};
    wanted.freq = 48000;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = fill_silence;
    SDL_AudioSpec obtained = {};
    audio_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!audio_device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        TraceLog(LOG_WARNING, "AUDIO: Failed to initialize playback device");
        return;
    }
    SDL_PauseAudioDevice(audio_device, 0);
    TraceLog(LOG_INFO, "AUDIO: Device initialized successfully");
    TraceLog(LOG_INFO, "    > Backend:       SDL / %s", SDL_GetCurrentAudioDriver());
    TraceLog(LOG_INFO, "    > Format:        %s -> %s", "f32", "f32");
    TraceLog(LOG_INFO, "    > Channels:      %d -> %d", 2, obtained.channels);
    TraceLog(LOG_INFO, "    > Sample rate:   %d -> %d", obtained.freq, obtained.freq);
}

void CloseAudioDevice(void) {
    if (!audio_device) {
        TraceLog(LOG_WARNING, "AUDIO: Device could not be closed, not currently initialized");
        return;
    }
    SDL_CloseAudioDevice(audio_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_device = 0;
    TraceLog(LOG_INFO, "AUDIO: Device closed successfully");
}

bool IsAudioDeviceReady(void) { return audio_device != 0; }
