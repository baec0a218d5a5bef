#include "tests/firewall/features/ModuleWithKit.h"

#include <fstream>
#include <sstream>

#include "message/Message.h"
#include "module/ModuleManagerShim.h"
#include "wrappers/ScopedHandle.h"

namespace feature_test {
namespace {

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

void setMachineText(const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

void deleteMachineValue(const wchar_t* name) { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name); }

// Loads the kit's component from the bin folder and registers it, once.
class KitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    component_.reset(LoadLibraryW((binFolder() + L"\\BxFWConfig.dll").c_str()));
    ASSERT_TRUE(component_.valid());
    using Register = HRESULT(STDAPICALLTYPE*)();
    const auto reg = reinterpret_cast<Register>(
        reinterpret_cast<void (*)()>(GetProcAddress(component_.get(), "DllRegisterServer")));
    ASSERT_NE(nullptr, reg);
    ASSERT_EQ(S_OK, reg());
  }
  void TearDown() override { component_.reset(); }

 private:
  Ledra::ScopedLibrary component_;
};

const auto* const kKitEnvironment = ::testing::AddGlobalTestEnvironment(new KitEnvironment);

uint32_t unloadNothing(void*, const wchar_t*, void*) { return 0; }

}  // namespace

void ModuleWithKit::SetUp() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  stateFile_ = std::wstring(temp) + L"features_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::wstring(name.begin(), name.end()) + L".txt";
  DeleteFileW(stateFile_.c_str());
  wchar_t previous[MAX_PATH] = {};
  DWORD size = sizeof(previous);
  hadStateFile_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr, previous,
                               &size) == ERROR_SUCCESS;
  previousStateFile_ = previous;
  setMachineText(L"StateFile", stateFile_);
  clearFaults();
  deleteMachineValue(L"OpenFilePath");

  auto container = std::make_shared<Basalt::IOCContainer>();
  module_ = std::make_unique<Ledra::TarnModuleImpl>(container, nullptr);
  const auto manager = std::make_shared<Ledra::internal::ModuleManagerShim>(nullptr, &unloadNothing);
  ASSERT_EQ(0u, module_->baseInitialize(L"Tarn", L"second", {}, manager, bus));
  ASSERT_EQ(0u, module_->initialize());
}

void ModuleWithKit::TearDown() {
  if (module_) {
    module_->stop();
    module_->uninitialize();
    module_.reset();
  }
  clearFaults();
  deleteMachineValue(L"OpenFilePath");
  if (hadStateFile_) {
    setMachineText(L"StateFile", previousStateFile_);
  } else {
    deleteMachineValue(L"StateFile");
  }
  DeleteFileW(stateFile_.c_str());
}

void ModuleWithKit::deliver(const std::wstring& name, const std::wstring& payload, bool expectsReply) {
  auto message = Ledra::Message::create(name, L"ui", payload);
  if (expectsReply) message->getHeader()->flags |= Ledra::kMessageFlagExpectsReply;
  bus->deliver(message);
}

std::wstring ModuleWithKit::published(const std::wstring& name, size_t count) {
  const auto message = bus->waitForPublished(name, count);
  return message ? message->getPayload() : L"<none>";
}

void ModuleWithKit::drain() {
  // The user state, or the security level while the user state is made to fail.
  const bool user = faults_.count(L"IsAdmin") == 0;
  const std::wstring answer = user ? L"Core.Firewall.UserState" : L"Core.Firewall.TrafficController";
  const size_t seen = bus->publishedCount(answer);
  deliver(user ? L"Core.Firewall.RequestUserState" : L"Core.Firewall.RefreshTrafficController", L"");
  ASSERT_NE(nullptr, bus->waitForPublished(answer, seen + 1));
}

uint32_t ModuleWithKit::statusOf(const std::wstring& name, const std::wstring& payload, bool expectsReply) {
  const LogScope log;
  deliver(name, payload, expectsReply);
  drain();
  // The worker's format is "%ul": the decimal status followed by a letter l.
  const std::wstring head = L"Encountered error ", tail = L"l processing message " + name;
  for (const auto& line : log.lines()) {
    const std::wstring& m = line.message;
    if (m.compare(0, head.size(), head) == 0 && m.size() > head.size() + tail.size() &&
        m.compare(m.size() - tail.size(), tail.size(), tail) == 0) {
      return static_cast<uint32_t>(std::wcstoul(m.c_str() + head.size(), nullptr, 10));
    }
  }
  return 0;
}

void ModuleWithKit::setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, (operation + suffix).c_str(),
                                           REG_DWORD, &value, sizeof(value)));
  faults_.insert(operation);
}

void ModuleWithKit::clearFaults() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  faults_.clear();
}

void ModuleWithKit::setOpenFilePath(const std::wstring& path) { setMachineText(L"OpenFilePath", path); }

void ModuleWithKit::writeStateFile(const std::string& text) {
  std::ofstream(stateFile_.c_str(), std::ios::binary) << text;
}

std::string ModuleWithKit::readStateFile() const {
  std::ifstream file(stateFile_.c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ModuleWithKit::records(const std::string& tag) const {
  std::istringstream file(readStateFile());
  std::vector<std::string> found;
  for (std::string line; std::getline(file, line);) {
    if (line.compare(0, tag.size() + 1, tag + "\t") == 0) found.push_back(line);
  }
  return found;
}

long ModuleWithKit::idOf(const std::string& tag, const std::string& text) const {
  for (const auto& r : records(tag)) {
    if (r.find(text) != std::string::npos) return std::stol(r.substr(tag.size() + 1));
  }
  return -1;
}

}  // namespace feature_test
