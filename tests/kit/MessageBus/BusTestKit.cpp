#include "tests/kit/MessageBus/BusTestKit.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

namespace BusTest {

namespace {

constexpr auto kDeadline = std::chrono::seconds(20);

std::wstring besideThisProgram(const wchar_t* file) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + file;
}

}  // namespace

LoadedBus::LoadedBus() : library_(LoadLibraryW(besideThisProgram(L"MessageBus.dll").c_str())) {
  if (!library_) return;
  auto create = procAddress<Ledra::BusCreateObjectFn>(library_.get(), "CreateObject");
  if (create != nullptr) table_ = create(Ledra::kBusLibraryVersion);
}

BusHandle::BusHandle(const Ledra::BusFunctions* table) : table_(table) {
  if (table_->create(&handle_) != 0) handle_ = nullptr;
}

BusHandle::~BusHandle() {
  if (handle_ != nullptr) table_->release(handle_);
}

uint32_t BusHandle::publish(const Ledra::MessageHeader& header, const std::wstring& name,
                            const std::wstring& payload) {
  return table_->publish(handle_, &header, name.c_str(), L"kit-test", payload.c_str());
}

uint32_t BusHandle::publish(const std::wstring& name, const std::wstring& payload) {
  return publish(makeHeader(name, L"kit-test", payload), name, payload);
}

Ledra::MessageHeader makeHeader(const std::wstring& name, const std::wstring& sender,
                                const std::wstring& payload) {
  Ledra::MessageHeader header{};
  header.formatMark = 1;
  header.totalLength = Ledra::kMessageHeaderBaseLength +
                       static_cast<uint32_t>(2 * (name.size() + sender.size() + payload.size()));
  header.version = Ledra::kMessageHeaderVersion;
  header.extensionMark = 11;
  header.extensionSize = 8;
  return header;
}

Ledra::MessageHeader replyHeader(const Ledra::MessageHeader& request, const std::wstring& name,
                                 const std::wstring& payload) {
  Ledra::MessageHeader header = makeHeader(name, L"kit-test", payload);
  header.flags = Ledra::kMessageFlagReply;
  std::copy(std::begin(request.originRoutingA), std::end(request.originRoutingA), header.destinationRoutingA);
  std::copy(std::begin(request.originRoutingB), std::end(request.originRoutingB), header.destinationRoutingB);
  std::copy(std::begin(request.originCookie), std::end(request.originCookie), header.destinationCookie);
  return header;
}

uint32_t Recorder::deliveryAdapter(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                                   const wchar_t* sender, const wchar_t* payload) {
  Delivered delivered;
  delivered.hadHeader = header != nullptr;
  if (header != nullptr) delivered.header = *header;
  delivered.name = name;
  delivered.sender = sender;
  delivered.payload = payload;
  delivered.threadId = GetCurrentThreadId();
  static_cast<Recorder*>(context)->record(std::move(delivered));
  return 0;
}

uint32_t Recorder::replyAdapter(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                                const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                                uint32_t status) {
  Delivered delivered;
  delivered.hadHeader = header != nullptr;
  if (header != nullptr) delivered.header = *header;
  // Null strings are recorded as a marker so tests can tell them from empty.
  delivered.name = name != nullptr ? name : L"<null>";
  delivered.sender = sender != nullptr ? sender : L"<null>";
  delivered.payload = payload != nullptr ? payload : L"<null>";
  delivered.threadId = GetCurrentThreadId();
  delivered.replyIndex = replyIndex;
  delivered.status = status;
  static_cast<Recorder*>(context)->record(std::move(delivered));
  return 0;
}

void Recorder::record(Delivered delivered) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back(delivered);
  }
  changed_.notify_all();
  if (onDelivery) onDelivery(delivered);
}

bool Recorder::waitForCount(size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, kDeadline, [&] { return seen_.size() >= count; });
}

std::vector<Delivered> Recorder::seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

size_t Recorder::count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_.size();
}

void Latch::open() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
  }
  opened_.notify_all();
}

bool Latch::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  return opened_.wait_for(lock, kDeadline, [&] { return open_; });
}

}  // namespace BusTest
