// The firewall module with the kit's real BxFWConfig.dll (registered from the
// bin folder, created by verified creation) and a fake bus: each test gets its
// own state file, no fault switches and no file-dialog answer.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "firewall/TarnModuleImpl.h"
#include "tests/firewall/FakeServices.h"
#include "tests/firewall/features/FeatureTests.h"

namespace feature_test {

class ModuleWithKit : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Hands the message to the module as the bus would.
  void deliver(const std::wstring& name, const std::wstring& payload, bool expectsReply = false);
  // The payload of the count-th publication of name ("<none>" after the deadline).
  std::wstring published(const std::wstring& name, size_t count = 1);
  // Delivers a request, waits until the worker has handled it and answers the
  // status the worker logged for it (0 when it logged none).
  uint32_t statusOf(const std::wstring& name, const std::wstring& payload, bool expectsReply = false);

  // The component's operation answers value as its HRESULT (suffix ".hr") or
  // result code (".result") until the faults are cleared.
  void setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value);
  void clearFaults();
  void setOpenFilePath(const std::wstring& path);
  // Replaces the model with this state-file text.
  void writeStateFile(const std::string& text);
  std::string readStateFile() const;
  // The state file's records with this tag, one a line.
  std::vector<std::string> records(const std::string& tag) const;
  // The id (second field) of the first record with this tag holding text, or -1.
  long idOf(const std::string& tag, const std::string& text) const;
  bool hasRecord(const std::string& tag, const std::string& text) const { return idOf(tag, text) != -1; }

  std::shared_ptr<tarn_test::FakeBus> bus = std::make_shared<tarn_test::FakeBus>();

 private:
  // Delivers a request whose answer is always published and waits for that
  // answer: every message delivered before it has then been handled.
  void drain();

  std::unique_ptr<Ledra::TarnModuleImpl> module_;
  std::wstring stateFile_;
  std::set<std::wstring> faults_;
  bool hadStateFile_ = false;
  std::wstring previousStateFile_;
};

}  // namespace feature_test
