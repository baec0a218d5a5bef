#include "tests/firewall/features/ModuleWithKit.h"

#include <fstream>
#include <sstream>

#include "module/ModuleManagerShim.h"
#include "wrappers/ScopedHandle.h"

namespace feature_test {
namespace {

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

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
  stateFile = std::wstring(temp) + L"features_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::wstring(name.begin(), name.end()) + L".txt";
  DeleteFileW(stateFile.c_str());
  wchar_t previous[MAX_PATH] = {};
  DWORD size = sizeof(previous);
  hadStateFile_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr, previous,
                               &size) == ERROR_SUCCESS;
  previousStateFile_ = previous;
  setMachineText(L"StateFile", stateFile);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  deleteMachineValue(L"OpenFilePath");

  auto container = std::make_shared<Basalt::IOCContainer>();
  module = std::make_unique<Ledra::TarnModuleImpl>(container, nullptr);
  const auto manager = std::make_shared<Ledra::internal::ModuleManagerShim>(nullptr, &unloadNothing);
  ASSERT_EQ(0u, module->baseInitialize(L"Tarn", L"second", {}, manager, bus));
  ASSERT_EQ(0u, module->initialize());
}

void ModuleWithKit::TearDown() {
  if (module) {
    module->stop();
    module->uninitialize();
    module.reset();
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  deleteMachineValue(L"OpenFilePath");
  if (hadStateFile_) {
    setMachineText(L"StateFile", previousStateFile_);
  } else {
    deleteMachineValue(L"StateFile");
  }
  DeleteFileW(stateFile.c_str());
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
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.TrafficController", ++drains_));
}

uint32_t ModuleWithKit::statusOf(const std::wstring& name, const std::wstring& payload) {
  const LogWatch watch;
  deliver(name, payload);
  drain();
  const std::wstring tail = L"l processing message " + name;
  for (const auto& line : watch.newLines()) {
    const size_t at = line.find(L"Encountered error ");
    if (at != std::wstring::npos && line.size() >= tail.size() &&
        line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
      return static_cast<uint32_t>(std::wcstoul(line.c_str() + at + 18, nullptr, 10));
    }
  }
  return 0;
}

std::wstring ModuleWithKit::failureLine(uint32_t status, const std::wstring& name) {
  // The worker's format is "%ul": the decimal status followed by a letter l.
  return L"Encountered error " + std::to_wstring(status) + L"l processing message " + name;
}

void ModuleWithKit::setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, (operation + suffix).c_str(),
                                           REG_DWORD, &value, sizeof(value)));
}

void ModuleWithKit::setOpenFilePath(const std::wstring& path) { setMachineText(L"OpenFilePath", path); }

void ModuleWithKit::writeStateFile(const std::string& text) {
  std::ofstream(stateFile.c_str(), std::ios::binary) << text;
}

std::string ModuleWithKit::readStateFile() const {
  std::ifstream file(stateFile.c_str(), std::ios::binary);
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

bool ModuleWithKit::hasRecord(const std::string& tag, const std::string& text) const {
  for (const auto& r : records(tag)) {
    if (r.find(text) != std::string::npos) return true;
  }
  return false;
}

long ModuleWithKit::idOf(const std::string& tag, const std::string& text) const {
  for (const auto& r : records(tag)) {
    if (r.find(text) != std::string::npos) return std::stol(r.substr(tag.size() + 1));
  }
  return -1;
}

}  // namespace feature_test
