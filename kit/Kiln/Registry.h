// Machine registry values the host sets for one run (a kit component's state
// file, its file-dialog answer) and puts back as they were when it ends.
#pragma once

#include <string>
#include <vector>

#include "kit/Kiln/Config.h"

namespace Kiln {

class RegistrySeams {
 public:
  RegistrySeams() = default;
  ~RegistrySeams() { restore(); }
  RegistrySeams(const RegistrySeams&) = delete;
  RegistrySeams& operator=(const RegistrySeams&) = delete;

  // Sets an HKLM REG_SZ value; the first change of each value remembers what was there.
  bool set(const RegistryValue& value, long& error);
  void restore();

 private:
  struct Previous {
    std::wstring key;
    std::wstring valueName;
    bool existed = false;
    unsigned long type = 0;
    std::vector<unsigned char> data;
  };
  std::vector<Previous> previous_;
};

// Loads a COM server from `path` and calls its DllRegisterServer.
long registerComServer(const std::wstring& path);

}  // namespace Kiln
