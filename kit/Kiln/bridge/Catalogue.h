// The request catalogue as the bridge reads it: the file is served to the page
// unchanged; the bridge itself needs only the request names, the only names it
// sends on the bus.
#pragma once

#include <set>
#include <string>

namespace Kiln {

class Catalogue {
 public:
  // Reads and checks the file; false with a one-line reason, the previous
  // contents kept.
  bool load(const std::wstring& path, std::string& problem);
  // Reads the text of a catalogue (UTF-8 JSON); false with a one-line reason.
  bool parse(std::string text, std::string& problem);

  bool loaded() const { return !text_.empty(); }
  const std::string& text() const { return text_; }
  size_t size() const { return requests_.size(); }
  bool lists(const std::string& name) const { return requests_.count(name) != 0; }

 private:
  std::string text_;
  std::set<std::string> requests_;
};

}  // namespace Kiln
