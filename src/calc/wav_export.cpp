#include "calc/wav_export.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <system_error>

#include "calc/spinorama.h"
#include "calc/time_response.h"
#include "model/file_io.h"

namespace sonvex {

namespace {

// The N samples of an N-point impulse from FirstIndex(rate) on.
std::vector<double> FromOneMillisecondBefore(const std::vector<double>& impulse, int rate) {
  const auto length = static_cast<int>(impulse.size());
  std::vector<double> samples(impulse.size());
  const int first = FirstIndex(rate);
  for (int i = 0; i < length; ++i)
    samples[static_cast<std::size_t>(i)] = impulse[static_cast<std::size_t>(((first + i) % length + length) % length)];
  return samples;
}

std::vector<float> Scaled(const std::vector<double>& samples, double factor) {
  std::vector<float> out(samples.size());
  std::transform(samples.begin(), samples.end(), out.begin(),
                 [factor](double x) { return static_cast<float>(x * factor); });
  return out;
}

bool WriteWav(const std::filesystem::path& file, const std::vector<float>& samples, int rate, std::string& error) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* sf = sf_open(file.c_str(), SFM_WRITE, &info);
  if (sf == nullptr) {
    error = "Datei kann nicht geschrieben werden: " + Utf8FromPath(file) + " (" + sf_strerror(nullptr) + ")";
    return false;
  }
  const auto count = static_cast<sf_count_t>(samples.size());
  const bool complete = sf_write_float(sf, samples.data(), count) == count;
  const bool closed = sf_close(sf) == 0;
  if (!complete || !closed) {
    error = "Datei kann nicht vollständig geschrieben werden: " + Utf8FromPath(file);
    return false;
  }
  return true;
}

}  // namespace

bool IsWavRate(int rate) { return std::find(std::begin(kWavRates), std::end(kWavRates), rate) != std::end(kWavRates); }

WavImpulses MakeWavImpulses(const CalcResult& r, int rate) {
  WavImpulses w;
  w.rate = rate;
  const std::vector<double> freq = GridOf(r);
  if (!r.valid || freq.size() < 2 || !IsWavRate(rate)) return w;
  const TimeSampling sampling = WavSampling(rate);
  const std::vector<double> box = FromOneMillisecondBefore(ImpulseResponse(freq, BoxOnAxis(r), sampling), rate);
  std::vector<std::vector<double>> chassis;
  for (int c = 0; c < ChassisInUse(r); ++c)
    chassis.push_back(FromOneMillisecondBefore(ImpulseResponse(freq, ChassisOnAxis(r, c), sampling), rate));
  double peak = 0.0;
  for (const double x : box) peak = std::max(peak, std::abs(x));
  const double factor = peak > 0.0 ? 0.5 / peak : 1.0;
  w.box = Scaled(box, factor);
  for (const auto& c : chassis) w.chassis.push_back(Scaled(c, factor));
  return w;
}

bool ExportImpulseWavs(const CalcResult& r, const std::filesystem::path& folder, int rate, std::string& error) {
  if (!IsWavRate(rate)) {
    error = "Abtastrate " + std::to_string(rate) + " Hz: möglich sind 44100, 48000 und 96000 Hz.";
    return false;
  }
  const WavImpulses w = MakeWavImpulses(r, rate);
  if (w.box.empty()) {
    error = "Keine gültige Berechnung: keine WAV-Dateien geschrieben.";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "Verzeichnis kann nicht angelegt werden: " + Utf8FromPath(folder);
    return false;
  }
  if (!WriteWav(folder / "box.wav", w.box, rate, error)) return false;
  for (std::size_t c = 0; c < w.chassis.size(); ++c)
    if (!WriteWav(folder / ("chassis-" + std::to_string(c + 1) + ".wav"), w.chassis[c], rate, error)) return false;
  return true;
}

}  // namespace sonvex
