#include "kit/Kiln/Config.h"

#include <windows.h>

#include <sstream>

#include "kit/Kiln/Text.h"

namespace Kiln {
namespace {

enum class Section { None, Host, Registry, Module };

std::wstring expandEnvironment(const std::wstring& text) {
  if (text.find(L'%') == std::wstring::npos) return text;
  const DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::wstring out(size, L'\0');
  const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), &out[0], size);
  if (written == 0 || written > size) return text;
  out.resize(written - 1);
  return out;
}

}  // namespace

bool expandVariables(const std::wstring& text, const Variables& variables, std::wstring& out,
                     std::wstring& unknown) {
  std::wstring result;
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find(L"$(", position);
    if (open == std::wstring::npos) {
      result += text.substr(position);
      break;
    }
    const size_t close = text.find(L')', open + 2);
    if (close == std::wstring::npos) {
      unknown = text.substr(open);
      return false;
    }
    const std::wstring name = text.substr(open + 2, close - open - 2);
    const auto found = variables.find(name);
    if (found == variables.end()) {
      unknown = name;
      return false;
    }
    result += text.substr(position, open - position);
    result += found->second;
    position = close + 1;
  }
  out = expandEnvironment(result);
  return true;
}

bool parseRegistryLine(const std::wstring& left, const std::wstring& data, RegistryValue& out) {
  const size_t slash = left.rfind(L'\\');
  if (slash == std::wstring::npos || slash == 0 || slash + 1 >= left.size()) return false;
  out.key = left.substr(0, slash);
  out.valueName = left.substr(slash + 1);
  out.data = data;
  return true;
}

HostConfig parseConfig(const std::wstring& text, const Variables& variables,
                       std::vector<ConfigProblem>& problems) {
  HostConfig config;
  Section section = Section::None;
  std::wistringstream lines(text);
  std::wstring raw;
  unsigned number = 0;
  auto problem = [&](const std::wstring& what) { problems.push_back({number, what}); };
  while (std::getline(lines, raw)) {
    ++number;
    const std::wstring line = trim(raw);
    if (line.empty() || line[0] == L'#' || line[0] == L';') continue;
    if (line.front() == L'[') {
      if (line.back() != L']') {
        problem(L"unclosed section header: " + line);
        section = Section::None;
        continue;
      }
      std::wstring rest;
      const std::wstring kind = firstWord(line.substr(1, line.size() - 2), rest);
      if (kind == L"host" && rest.empty()) {
        section = Section::Host;
      } else if (kind == L"registry" && rest.empty()) {
        section = Section::Registry;
      } else if (kind == L"module" && !rest.empty() && rest.find_first_of(L" \t") == std::wstring::npos) {
        section = Section::Module;
        ModuleConfig module;
        module.name = rest;
        config.modules.push_back(module);
      } else {
        problem(L"unknown section: " + line);
        section = Section::None;
      }
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
      problem(L"expected NAME = VALUE: " + line);
      continue;
    }
    const std::wstring left = trim(line.substr(0, equals));
    std::wstring value;
    std::wstring unknown;
    if (!expandVariables(trim(line.substr(equals + 1)), variables, value, unknown)) {
      problem(L"unknown variable $(" + unknown + L")");
      continue;
    }
    switch (section) {
      case Section::None:
        problem(L"setting outside a section: " + line);
        break;
      case Section::Host:
        if (left == L"bus") {
          config.busLibrary = value;
        } else if (left == L"register") {
          config.comServers.push_back(value);
        } else {
          problem(L"unknown host setting: " + left);
        }
        break;
      case Section::Registry: {
        RegistryValue entry;
        if (parseRegistryLine(left, value, entry)) {
          config.registry.push_back(entry);
        } else {
          problem(L"expected KEY\\VALUE = DATA: " + line);
        }
        break;
      }
      case Section::Module: {
        ModuleConfig& module = config.modules.back();
        std::wstring rest;
        const std::wstring word = firstWord(left, rest);
        if (left == L"library") {
          module.library = value;
        } else if (left == L"second_name") {
          module.secondName = value;
        } else if (left == L"log_group") {
          module.logGroup = value;
        } else if (left == L"initialize" && value == L"InitializeModuleV2") {
          module.entry = InitializeEntry::V2;
        } else if (left == L"initialize" && value == L"InitializeModule") {
          module.entry = InitializeEntry::V1;
        } else if (word == L"set" && !rest.empty()) {
          module.settings.emplace_back(rest, value);
        } else {
          problem(L"unknown module setting: " + line);
        }
        break;
      }
    }
  }
  for (ModuleConfig& module : config.modules) {
    if (module.library.empty()) module.library = module.name + L".dll";
  }
  return config;
}

}  // namespace Kiln
