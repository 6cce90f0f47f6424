// The shipped sample projects end to end: load (with loss estimate and
// derived values) and a full calculation without pauses, as sonvex-cli calc
// does it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "calc/calc_thread.h"
#include "calc/file_load.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"

namespace {

namespace fs = std::filesystem;

void LoadAndCompute(benchmark::State& state, const fs::path& file) {
  const sonvex::Settings settings = sonvex::MakeSettings(fs::temp_directory_path());
  sonvex::ScriptedInteraction ui;
  sonvex::CalcThread thread(nullptr, true, std::chrono::milliseconds(0));
  auto p = sonvex::MakeNewProject();
  for (auto _ : state) {
    if (sonvex::LoadProjectFile(*p, file, settings, ui) != sonvex::ProjectLoadResult::Loaded) {
      state.SkipWithError("project not loaded");
      break;
    }
    thread.StartFullCalc(*p);
    thread.ComputeUntilDone();
  }
  state.counters["grid"] = p->gridPoints;
  state.counters["chassis"] = p->chassisCount;
}

// One benchmark per sample project.
[[maybe_unused]] const bool kRegistered = [] {
  const fs::path folder = fs::path(SONVEX_DATA_DIR) / "Projekte";
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    if (e.path().extension() != ".ZPJ") continue;
    benchmark::RegisterBenchmark(("BM_LoadAndCompute/" + e.path().stem().string()).c_str(), [file = e.path()](
                                                                                                benchmark::State& s) {
      LoadAndCompute(s, file);
    })->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
