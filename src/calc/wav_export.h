#pragma once
// The impulse responses of the box and of each chassis as WAV files, to be
// heard through any player or convolution engine that convolves music with
// an impulse response.
#include <filesystem>
#include <string>
#include <vector>

#include "model/result.h"

namespace sonvex {

// The sampling rates a WAV export offers; 48 000 Hz when none is named
// (what most players and convolution engines run at).
inline constexpr int kWavRates[] = {44100, 48000, 96000};
inline constexpr int kDefaultWavRate = 48000;
bool IsWavRate(int rate);

// The N samples of each file from 1 ms before time 0 on (the impulse of the
// box, then of each chassis in use), all scaled by the one factor that
// makes the box's largest |sample| 0.5, so that the files keep their
// levels against each other. Empty when the result is not valid.
struct WavImpulses {
  int rate = 0;
  std::vector<float> box;
  std::vector<std::vector<float>> chassis;
};
WavImpulses MakeWavImpulses(const CalcResult& r, int rate);

// Writes box.wav and chassis-1.wav … chassis-n.wav (mono, 32-bit float)
// into `folder`, which is created when missing. False with a German message
// in `error` when nothing valid is there to write or a file cannot be written.
bool ExportImpulseWavs(const CalcResult& r, const std::filesystem::path& folder, int rate, std::string& error);

}  // namespace sonvex
