#include "ui/document/calc_host.h"

#include <utility>

namespace sonvex {

UiCalcHost::UiCalcHost(QObject* context, Callbacks callbacks) : callbacks_(std::move(callbacks)), call_(context) {}

void UiCalcHost::Progress(int stepsDone, int stepsTotal, const std::string& text) {
  if (!callbacks_.progress) return;
  call_.Run([&] { callbacks_.progress(stepsDone, stepsTotal, text); });
}

void UiCalcHost::StatusReport(const CalcStates& states, const CalcResult& result) {
  if (!callbacks_.statusReport) return;
  call_.Run([&] { callbacks_.statusReport(states, result); });
}

void UiCalcHost::HandBack(const CalcResult& result, const GradeBlock& grades) {
  if (!callbacks_.handBack) return;
  call_.Run([&] { callbacks_.handBack(result, grades); });
}

}  // namespace sonvex
