// The model's home: the state file, read afresh at every operation and written
// back after every change, under one process-wide lock. The file is
// HKLM\SOFTWARE\Brenix\FirewallKit "StateFile" when set, else
// <common application data>\Brenix\FirewallKit\model.txt. A missing file reads
// as the defaults.
#pragma once

#include <functional>
#include <string>

#include "kit/BxFWConfig/Model.h"

namespace BxKit {

std::wstring StateFilePath();

// A copy of the current model; a result code.
long LoadModel(FirewallModel& model);

// Runs change on the current model and saves it when change answers kResultOk;
// answers change's code or kResultStorage.
long UpdateModel(const std::function<long(FirewallModel&)>& change);

}  // namespace BxKit
