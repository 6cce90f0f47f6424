#include "ui/document/calc_host.h"

#include <utility>

namespace sonvex {

TUiCalcHost::TUiCalcHost(QObject* context, TCallbacks callbacks) : callbacks_(std::move(callbacks)), call_(context) {}

void TUiCalcHost::Progress(int stepsDone, int stepsTotal, const std::string& text) {
  if (!callbacks_.progress) return;
  call_.Run([&] { callbacks_.progress(stepsDone, stepsTotal, text); });
}

void TUiCalcHost::StatusReport(const TCalcStruct& states, const TResult& result) {
  if (!callbacks_.statusReport) return;
  call_.Run([&] { callbacks_.statusReport(states, result); });
}

void TUiCalcHost::HandBack(const TResult& result, const TGrades& grades) {
  if (!callbacks_.handBack) return;
  call_.Run([&] { callbacks_.handBack(result, grades); });
}

}  // namespace sonvex
