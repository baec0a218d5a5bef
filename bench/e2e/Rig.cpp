#include "bench/e2e/Rig.h"

#include <windows.h>

namespace Bench {
namespace {

constexpr wchar_t kLoggingKey[] = L"SOFTWARE\\Brenix\\Logging";
constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";

PrefixSeams* g_seams = nullptr;

LONG WINAPI restoreOnCrash(EXCEPTION_POINTERS*) {
  if (g_seams) g_seams->restore();
  return EXCEPTION_CONTINUE_SEARCH;
}

std::wstring tempPath(const wchar_t* file) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + file;
}

}  // namespace

std::wstring binFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L"\\/"));
}

PrefixSeams::PrefixSeams(const std::wstring& folder)
    : logging_(kLoggingKey, L"Logging Mechanism"),
      stateFile_(kKitKey, L"StateFile"),
      kit_(folder + L"\\" + kKitComponent) {
  // Without the value the product logs through its default back end (ETW).
  logging_.remove();
  const std::wstring model = tempPath(L"tarn-bench-model.txt");
  ::DeleteFileW(model.c_str());
  stateFile_.setText(model);
  g_seams = this;
  ::SetUnhandledExceptionFilter(&restoreOnCrash);
}

PrefixSeams::~PrefixSeams() {
  restore();
  g_seams = nullptr;
}

void PrefixSeams::restore() {
  kit_.restore();
  stateFile_.restore();
  logging_.restore();
}

Rig::Rig(const std::wstring& folder)
    : folder_(folder),
      library_(folder),
      bus_(library_.functions()),
      client_(bus_),
      host_(bus_),
      floorHandle_(bus_),
      floor_(bus_, floorHandle_.get()),
      traffic_(bus_, client_.get()) {
  if (client_.get() && host_.get() && floorHandle_.get()) {
    floorSubscription_ =
        std::make_unique<Subscription>(bus_, floorHandle_.get(), &floor_, &Floor::onRequest, kFloorRequest);
  }
}

bool Rig::start(const wchar_t* component) {
  stop();
  if (registerServer(folder_ + L"\\" + component) != S_OK) return false;
  const std::wstring properties = tempPath(L"tarn-bench-properties.json");
  return settings_.load(folder_, L"SettingsManager.dll", L"SettingsManager", {{L"StateFile", properties}},
                        host_.get(), bus_) &&
         module_.load(folder_, L"TarnModule.dll", L"TarnModule", {}, host_.get(), bus_);
}

void Rig::stop() {
  module_.unload();
  settings_.unload();
}

}  // namespace Bench
