// The firewall module with the kit's real BxFWConfig.dll (registered from the
// bin folder, created by verified creation) and a fake bus: each test gets its
// own state file, no fault switches and no file-dialog answer.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "firewall/TarnModuleImpl.h"
#include "message/Message.h"
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
  // Delivers a refresh of the security level and waits for its answer: every
  // message delivered before it has then been handled.
  void drain();
  // Delivers a request, waits until it was handled and answers the status the
  // worker logged for it (0 when it logged none).
  uint32_t statusOf(const std::wstring& name, const std::wstring& payload);
  // The worker's line for a handler that failed with status on the message name.
  static std::wstring failureLine(uint32_t status, const std::wstring& name);

  void setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value);
  void setOpenFilePath(const std::wstring& path);
  // Replaces the model with this state-file text.
  void writeStateFile(const std::string& text);
  std::string readStateFile() const;
  // The state file's records with this tag, one a line.
  std::vector<std::string> records(const std::string& tag) const;
  bool hasRecord(const std::string& tag, const std::string& text) const;
  // The id (second field) of the first record holding text, or -1.
  long idOf(const std::string& tag, const std::string& text) const;

  std::shared_ptr<tarn_test::FakeBus> bus = std::make_shared<tarn_test::FakeBus>();
  std::unique_ptr<Ledra::TarnModuleImpl> module;
  std::wstring stateFile;

 private:
  size_t drains_ = 0;
  bool hadStateFile_ = false;
  std::wstring previousStateFile_;
};

}  // namespace feature_test
