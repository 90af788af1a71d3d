// File names from the --output template: {shape}, {frequency}, {rendered}, {rate}, {channels}.
#pragma once

#include <string>

struct NameFields {
  std::string shape;
  std::string frequency;  // the text given
  std::string rendered;   // the frequency rendered
  std::string rate;
  std::string channels;
};

// "" when every placeholder of the template is known, else what is wrong. A brace that opens
// no placeholder is kept as it stands.
std::string OutputTemplateFault(const std::string& outputTemplate);
// The path the template names for these fields, or the fault of a value that would put a folder
// into it (a "/", or a name "." or "..").
std::string ExpandOutputTemplate(const std::string& outputTemplate, const NameFields& fields,
                                 std::string& path);
