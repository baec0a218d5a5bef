#include "bus/MessageBusLib.h"

#include <windows.h>
#include <shlobj.h>

#include "Logging/Log.h"
#include "Logging/PerfTimer.h"
#include "dll/LibraryInfo.h"
#include "dll/SharedLibrary.h"
#include "include/ModuleStatus.h"
#include "include/ModuleException.h"
#include "wrappers/OSVersionAPI.h"
#include "wrappers/RegistryAPI.h"
#include "wrappers/ScopedHandle.h"
#include "wrappers/ShlObjAPI.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"MessageBusLib";

constexpr wchar_t kLibraryName[] = L"MessageBus.dll";
constexpr wchar_t kKilnKey[] = L"SOFTWARE\\BRENIX\\KILN";
constexpr wchar_t kInstallDir32[] = L"Install Dir32";
constexpr wchar_t kInstallDir[] = L"Install Dir";
constexpr wchar_t kCommonFolderSuffix[] = L"\\Brenix\\Kiln";

constexpr wchar_t kNoWow64Path[] = L"Failed to retrieve Kiln WoW64 path from registry";
constexpr wchar_t kNoPath[] = L"Failed to retrieve Kiln path from registry";
constexpr wchar_t kLoadingByForce[] = L"Loading MesageBusLib by force from path: %s";
constexpr wchar_t kNoFunctions[] = L"Failed to get message bus functions object. Throwing ModuleException.";
constexpr wchar_t kNoHandle[] =
    L"Failed to get message bus handle. Error code: %ls(%lu). Throwing ModuleException.";
constexpr wchar_t kReleaseFailed[] = L"Failed to release message bus. Error code %ls(%lu).";

// The host's installation folder from the registry, else the common program
// files folder plus "\Brenix\Kiln".
std::wstring forcedFolder() {
  RegistryAPI registry;
  Basalt::WinOSVersionAPI osVersion;
  std::wstring folder;
  if (osVersion.isWow64()) {
    if (!registry.readString(kKilnKey, kInstallDir32, folder)) {
      LEDRA_LOG(logging::Error, L"Ledra::MessageBusLib::MessageBusLib", __LINE__, kNoWow64Path);
    }
  } else if (!registry.readString(kKilnKey, kInstallDir, folder)) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusLib::MessageBusLib", __LINE__, kNoPath);
  }
  if (folder.empty()) {
    ScopedCoTaskMemString common;
    const HRESULT hr =
        ShlObjAPI().getKnownFolderPath(FOLDERID_ProgramFilesCommon, 0, nullptr, common.receive());
    // A success without a path leaves the folder empty, as a failure does.
    if (SUCCEEDED(hr) && common) folder = common.get();
    folder += kCommonFolderSuffix;
  }
  LEDRA_LOG(logging::Information, L"Ledra::MessageBusLib::MessageBusLib", __LINE__, kLoadingByForce,
            folder.c_str());
  return folder;
}

}  // namespace

const std::vector<std::wstring>& MessageBusLib::defaultSearchFolders() {
  static const std::vector<std::wstring> folders = {L"$(App.Folder)", L"$(Kiln.InstallDir)"};
  return folders;
}

MessageBusLib::MessageBusLib() : MessageBusLib(defaultSearchFolders()) {}

MessageBusLib::MessageBusLib(std::vector<std::wstring> searchFolders) {
  internal::PerfTimer timer(L"MessageBusLib::MessageBusLib");
  if (searchFolders.empty()) searchFolders.push_back(forcedFolder());
  library_ = std::make_shared<SharedLibrary>(LibraryInfo{kLibraryName, std::move(searchFolders)});

  // Through the generic function pointer type: FARPROC is only a placeholder signature.
  const auto createObject = reinterpret_cast<BusCreateObjectFn>(
      reinterpret_cast<void (*)()>(library_->getFunctions()[SharedLibrary::kCreateObject]));
  const BusFunctions* functions = createObject(kBusLibraryVersion);
  if (functions == nullptr) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusLib::MessageBusLib", __LINE__, kNoFunctions);
    throw ModuleException("Failed to get message bus functions object");
  }

  void* handle = nullptr;
  uint32_t status = functions->create != nullptr ? functions->create(&handle) : MODULE_STATUS_NOT_SUPPORTED;
  if (status == MODULE_STATUS_SUCCESS && handle == nullptr) status = MODULE_STATUS_INVALID_HANDLE;
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusLib::MessageBusLib", __LINE__, kNoHandle,
              moduleStatusName(status), static_cast<unsigned long>(status));
    throw ModuleException("Failed to get message bus handle");
  }
  handle_.reset(handle, functions);
  shim_ = std::make_unique<MessageBusShimImpl>(handle, functions);
}

MessageBusLib::~MessageBusLib() = default;

void MessageBusLib::BusHandle::reset(void* handle, const BusFunctions* functions) {
  handle_ = handle;
  functions_ = functions;
}

MessageBusLib::BusHandle::~BusHandle() {
  if (handle_ == nullptr || functions_ == nullptr || functions_->release == nullptr) return;
  const uint32_t status = functions_->release(handle_);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Warning, L"Ledra::MessageBusLib::~MessageBusLib", __LINE__, kReleaseFailed,
              moduleStatusName(status), static_cast<unsigned long>(status));
  }
}

uint32_t MessageBusLib::publish(const std::shared_ptr<Message>& message, bool variant) {
  return shim_->publish(message, variant);
}

uint32_t MessageBusLib::request(const std::shared_ptr<Message>& message, uint64_t replyIndex,
                                ReplyFunction* replyFunction, uint32_t timeoutMs, bool variant) {
  return shim_->request(message, replyIndex, replyFunction, timeoutMs, variant);
}

uint32_t MessageBusLib::subscribe(const std::wstring& name, Callback* callback) {
  return shim_->subscribe(name, callback);
}

uint32_t MessageBusLib::subscribeFilter(const std::wstring& pattern, Callback* callback) {
  return shim_->subscribeFilter(pattern, callback);
}

uint32_t MessageBusLib::unsubscribe(uint32_t subscriptionId) { return shim_->unsubscribe(subscriptionId); }

uint32_t MessageBusLib::releaseReplyAdapter() { return shim_->releaseReplyAdapter(); }

}  // namespace Ledra
