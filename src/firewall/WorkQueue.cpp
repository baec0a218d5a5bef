// The work queue: bus threads append, the one worker thread takes messages in
// arrival order and runs their handlers inside the COM apartment it owns.
#include <objbase.h>

#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/VerifiedCreation.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
constexpr wchar_t kEnqueueFunction[] = L"Ledra::TarnModuleImpl::callback_enqueue_message";
constexpr wchar_t kWorkerFunction[] = L"Ledra::TarnModuleImpl::process_message_queue";

constexpr wchar_t kEnqueued[] = L"In callback_enqueue_message Processing: %s";
constexpr wchar_t kComFailed[] = L"Error initializing CoInitializeEx - exiting worker thread";
constexpr wchar_t kSettingsFailed[] = L"Error fetching IBxFWSettings (0x%x) - exiting worker thread";
constexpr wchar_t kWorkerBegin[] = L"in TarnModuleImpl::process_message_queue() start of function";
constexpr wchar_t kEmptyMessage[] = L"Received an empty message on the work queue.";
constexpr wchar_t kProcessing[] = L"TARN Module worker is processing %s with payload %s";
constexpr wchar_t kNoHandler[] =
    L"TARN Module tried to use a worker method that is not registerd. This should never happen.";
constexpr wchar_t kHandlerFailed[] = L"Encountered error %ul processing message %s";
constexpr wchar_t kWorkerEnd[] = L"in TarnModuleImpl::process_message_queue() end of function";

// Leaves the apartment when the worker leaves, on every path.
class ApartmentScope {
 public:
  explicit ApartmentScope(HRESULT hr) : entered_(SUCCEEDED(hr)) {}
  ~ApartmentScope() {
    if (entered_) CoUninitialize();
  }
  ApartmentScope(const ApartmentScope&) = delete;
  ApartmentScope& operator=(const ApartmentScope&) = delete;
  bool entered() const { return entered_; }

 private:
  bool entered_;
};

}  // namespace

unsigned long TarnModuleImpl::callback_enqueue_message(std::shared_ptr<Message> message) {
  LEDRA_LOG(logging::Normal, kEnqueueFunction, 1170, kEnqueued, message ? message->getName().c_str() : L"");
  std::unique_lock<Ledra::SrwMutex> lock(queueMutex);
  if (!acceptingMessages) return 0;  // destruction has begun: dropped
  queue.push_back(std::move(message));
  // A wake-up costs a system call even when nobody sleeps: only a worker
  // waiting for work needs one; a busy one finds the message itself.
  const bool wake = workerWaiting;
  lock.unlock();
  if (wake) workAvailable.notify_one();
  return 0;
}

void TarnModuleImpl::process_message_queue() {
  // Tells the destructor the worker is gone, whichever way it leaves.
  struct WorkerExit {
    TarnModuleImpl& module;
    ~WorkerExit() {
      {
        std::lock_guard<Ledra::SrwMutex> lock(module.queueMutex);
        module.workerAlive = false;
      }
      module.queueDrained.notify_all();
    }
  } workerExit{*this};

  ApartmentScope apartment(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  if (!apartment.entered()) {
    LEDRA_LOG(logging::Error, kWorkerFunction, 1188, kComFailed);
    unload();
    return;
  }
  Microsoft::WRL::ComPtr<IBxFWSettings> created;
  const HRESULT hr = creator_->create(CLSID_BxFWSettings, IID_IBxFWSettings,
                                      reinterpret_cast<void**>(created.GetAddressOf()));
  if (FAILED(hr) || !created) {
    LEDRA_LOG(logging::Error, kWorkerFunction, 1200, kSettingsFailed, static_cast<unsigned>(hr));
    unload();
    return;
  }
  firewallSettings = std::move(created);
  LEDRA_LOG(logging::Normal, kWorkerFunction, 1205, kWorkerBegin);

  for (;;) {
    std::shared_ptr<Message> message;
    // Only this thread takes messages off the queue: while more were queued
    // behind this one, the queue cannot be empty after it, and the re-arm
    // below would find the module busy and change nothing.
    bool moreQueued = false;
    {
      std::unique_lock<Ledra::SrwMutex> lock(queueMutex);
      while (!stopWorker && queue.empty()) {
        workerWaiting = true;
        workAvailable.wait(lock);
        workerWaiting = false;
      }
      if (stopWorker) break;
      message = std::move(queue.front());
      queue.pop_front();
      moreQueued = !queue.empty();
      if (!moreQueued) {
        lock.unlock();
        queueDrained.notify_all();
      }
    }
    if (!message) {
      LEDRA_LOG(logging::Warning, kWorkerFunction, 1211, kEmptyMessage);
      continue;
    }
    LEDRA_LOG(logging::Normal, kWorkerFunction, 1216, kProcessing, message->getName().c_str(),
              message->getPayload().c_str());
    const auto handler = handlers.find(message->getName());
    if (handler == handlers.end()) {
      LEDRA_LOG(logging::Error, kWorkerFunction, 1229, kNoHandler);
    } else {
      ModuleStatus status = MODULE_STATUS_UNKNOWN_EXCEPTION;
      try {
        status = handler->second(message);
      } catch (...) {
        // A handler that throws fails its request, never the worker.
      }
      if (status != MODULE_STATUS_SUCCESS) {
        LEDRA_LOG(logging::Error, kWorkerFunction, 1223, kHandlerFailed, status, message->getName().c_str());
      }
    }
    message.reset();
    if (!moreQueued) resetUnloadWatchdog(idleUnloadTime_);
  }

  Microsoft::WRL::ComPtr<IBxFWSettings> released;
  released.Swap(firewallSettings);  // null first, then the old reference goes
  released.Reset();
  LEDRA_LOG(logging::Normal, kWorkerFunction, 1241, kWorkerEnd);
}

}  // namespace Ledra
