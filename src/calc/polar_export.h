#pragma once
// The model's own off-axis responses of a chassis, written as the files of a
// polar set: to compare a measured set with the model, and to try the import
// of a set without a measurement.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/polar_set.h"
#include "model/result.h"

namespace sonvex {

// One modelled response: level in dB SPL at 2.83 V and 1 m and phase in
// degrees of the chassis's front sound (chassisFront · direction factor) per
// grid frequency.
struct ModelPolarResponse {
  PolarPlane plane = PolarPlane::Horizontal;
  double angle = 0;
  std::vector<double> freq, level, phase;
};

// The angles a model export holds for a step of 10, 15 or 30 degrees: the
// horizontal plane 0, ±step … ±(180 − step), 180; the vertical plane
// ±step … ±(180 − step). The model knows the directions at multiples of 30°;
// an angle between two of them takes level and phase from its neighbours
// with the interpolation a polar set uses (level in dB, phase the short way).
// Where the chassis's polar set is in use, `r` holds the measured directions:
// compute `r` without the set for the model's own.
std::vector<ModelPolarResponse> ModelPolarResponses(const CalcResult& r, int chassis, int step);

// "<prefix> hor -30.frd", "<prefix> ver 60.frd": names the import reads back.
std::string PolarFileName(std::string_view prefix, PolarPlane plane, double angle);

// Writes every response of ModelPolarResponses as an FRD file into `folder`
// (created if needed), named by PolarFileName with the chassis's name as
// prefix. Throws FileError when a file cannot be written. Returns the files.
std::vector<std::filesystem::path> WriteModelPolarFiles(const CalcResult& r, int chassis, int step,
                                                        const std::filesystem::path& folder,
                                                        std::string_view projectName);

}  // namespace sonvex
