#include "ValidateRegistry.h"

#include "ValidateGroups.h"

std::vector<Check> allChecks() {
  std::vector<Check> checks;
  addLifecycleChecks(checks);
  addProcessingChecks(checks);
  addStateChecks(checks);
  addThreadChecks(checks);
  addAudioPathChecks(checks);
  addEditorChecks(checks);
  return checks;
}
