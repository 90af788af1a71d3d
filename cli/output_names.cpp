#include "cli/output_names.h"

#include <functional>

namespace {

const std::string* FieldNamed(const std::string& name, const NameFields& fields) {
  if (name == "shape") return &fields.shape;
  if (name == "frequency") return &fields.frequency;
  if (name == "rendered") return &fields.rendered;
  if (name == "rate") return &fields.rate;
  if (name == "channels") return &fields.channels;
  return nullptr;
}

bool IsPlaceholderName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!(c >= 'a' && c <= 'z')) return false;
  return true;
}

// Calls `placeholder` for each {name} of the template and `literal` for everything between.
void ScanTemplate(const std::string& outputTemplate,
                  const std::function<void(const std::string&)>& literal,
                  const std::function<void(const std::string&)>& placeholder) {
  std::size_t at = 0;
  while (at < outputTemplate.size()) {
    const std::size_t open = outputTemplate.find('{', at);
    const std::size_t close =
        open == std::string::npos ? std::string::npos : outputTemplate.find('}', open);
    const std::string name =
        close == std::string::npos ? "" : outputTemplate.substr(open + 1, close - open - 1);
    if (!IsPlaceholderName(name)) {
      const std::size_t end = open == std::string::npos ? outputTemplate.size() : open + 1;
      literal(outputTemplate.substr(at, end - at));
      at = end;
      continue;
    }
    literal(outputTemplate.substr(at, open - at));
    placeholder(name);
    at = close + 1;
  }
}

}  // namespace

std::string OutputTemplateFault(const std::string& outputTemplate) {
  std::string fault;
  const NameFields none;
  ScanTemplate(
      outputTemplate, [](const std::string&) {},
      [&](const std::string& name) {
        if (fault.empty() && FieldNamed(name, none) == nullptr)
          fault = "--output: unknown placeholder {" + name +
                  "}; known are {shape}, {frequency}, {rendered}, {rate} and {channels}";
      });
  return fault;
}

std::string ExpandOutputTemplate(const std::string& outputTemplate, const NameFields& fields,
                                 std::string& path) {
  std::string fault;
  path.clear();
  ScanTemplate(
      outputTemplate, [&](const std::string& text) { path += text; },
      [&](const std::string& name) {
        const std::string* value = FieldNamed(name, fields);
        // A value never leads the name into another folder.
        if (value != nullptr && fault.empty() &&
            (value->find('/') != std::string::npos || *value == ".." || *value == "."))
          fault = "--output: {" + name + "} would be \"" + *value +
                  "\", which is no part of a file name";
        path += value != nullptr ? *value : "{" + name + "}";
      });
  return fault;
}
