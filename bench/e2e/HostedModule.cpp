#include "bench/e2e/HostedModule.h"

#include "include/ModuleStatus.h"

namespace Bench {
namespace {

// The benchmark never lets a module unload itself in the middle of a run.
uint32_t refuseUnload(void*, const wchar_t*, void*) { return Ledra::MODULE_STATUS_NOT_SUPPORTED; }

}  // namespace

bool HostedModule::load(const std::wstring& folder, const wchar_t* file, const wchar_t* name,
                        const ModuleSettings& settings, void* busHandle, const Ledra::BusFunctions* bus) {
  unload();
  library_.reset(::LoadLibraryW((folder + L"\\" + file).c_str()));
  if (!library_) return false;
  const auto create = reinterpret_cast<Ledra::ModuleCreateObjectFn>(
      reinterpret_cast<void*>(::GetProcAddress(library_.get(), "CreateObject")));
  table_ = create ? create() : nullptr;
  if (!table_ || table_->newModule(&handle_, nullptr) != 0) return false;
  std::vector<const wchar_t*> names;
  std::vector<const wchar_t*> values;
  for (const auto& setting : settings) {
    names.push_back(setting.first.c_str());
    values.push_back(setting.second.c_str());
  }
  return table_->initializeModuleV2(handle_, name, L"", static_cast<uint32_t>(names.size()), names.data(),
                                    values.data(), nullptr, &refuseUnload, busHandle, bus) == 0 &&
         table_->startModule(handle_) == 0;
}

void HostedModule::unload() {
  if (handle_) {
    table_->stopModule(handle_);
    table_->uninitializeModule(handle_);
    table_->destroyModule(handle_);
    handle_ = nullptr;
  }
  table_ = nullptr;
  library_.reset();
}

}  // namespace Bench
