// The inversion-of-control container through which a module finds shared
// services (the message bus, the settings manager) by interface type and
// registration name.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <utility>

namespace Basalt {

constexpr wchar_t kUnnamedRegistration[] = L"Unnamed registration";

class IOCFactoryInterface {
 public:
  virtual ~IOCFactoryInterface() = default;
};

template <typename T>
class IOCBaseFactory : public IOCFactoryInterface {
 public:
  explicit IOCBaseFactory(std::wstring name) : name_(std::move(name)) {}
  const std::wstring& getName() const { return name_; }
  virtual std::shared_ptr<T> create() = 0;

 private:
  std::wstring name_;
};

// Hands out the one instance it was registered with, every time.
template <typename T>
class IOCInstanceReturningFactory : public IOCBaseFactory<T> {
 public:
  IOCInstanceReturningFactory(std::wstring name, std::shared_ptr<T> instance)
      : IOCBaseFactory<T>(std::move(name)), instance_(std::move(instance)) {}
  std::shared_ptr<T> create() override { return instance_; }

 private:
  std::shared_ptr<T> instance_;
};

// Thrown by resolve when nothing is registered under the type and name.
class IOCResolutionError : public std::runtime_error {
 public:
  IOCResolutionError() : std::runtime_error("no registration for the requested type and name") {}
};

class IOCContainer {
 public:
  // Registers instance as the T of this name, replacing an earlier registration
  // of the same type and name.
  template <typename T>
  void registerInstance(std::shared_ptr<T> instance, const std::wstring& name = kUnnamedRegistration) {
    auto& byName = registrations_[typeid(T).hash_code()];
    byName.erase(name);
    byName.emplace(name, std::make_shared<IOCInstanceReturningFactory<T>>(name, std::move(instance)));
  }

  // The T registered under the name; throws IOCResolutionError when there is none.
  template <typename T>
  std::shared_ptr<T> resolve(const std::wstring& name = kUnnamedRegistration) const {
    const auto type = registrations_.find(typeid(T).hash_code());
    if (type == registrations_.end()) throw IOCResolutionError();
    const auto entry = type->second.find(name);
    if (entry == type->second.end()) throw IOCResolutionError();
    return static_cast<IOCBaseFactory<T>&>(*entry->second).create();
  }

  // How many registrations the type holds (any name).
  template <typename T>
  size_t registrationCount() const {
    const auto type = registrations_.find(typeid(T).hash_code());
    return type == registrations_.end() ? 0 : type->second.size();
  }

 private:
  std::unordered_map<size_t, std::map<std::wstring, std::shared_ptr<IOCFactoryInterface>>> registrations_;
};

}  // namespace Basalt
