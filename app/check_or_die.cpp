// The one way out of a start-up that cannot go on, and the orderly end of the program.
#include <cstdlib>
#include <iostream>
#include <map>

#include "app/shell.h"

namespace {

constexpr const char* kFatalTitle = "Quorvel cannot start";

struct FatalMessage {
  std::string title;
  std::string text;
};

FatalMessage FatalMessageFor(const std::string& label) {
  // Keyed by the label the failing step passes, so the user reads what broke, not a code word.
  static const std::map<std::string, FatalMessage> messages = {
      {"InitSound", {"? Soundcard ?", "Soundcard not present"}},
      {"OpenWindow", {kFatalTitle, "The main window could not be opened."}},
      {"Font 'Arial'", {kFatalTitle, "The font Arial could not be loaded."}},
      {"SliderGadget", {kFatalTitle, "A slider could not be created."}},
      {"CanvasGadget", {kFatalTitle, "The drawing area of a slider could not be created."}},
      {"StartDrawing", {kFatalTitle, "A slider could not be drawn."}},
  };
  const auto found = messages.find(label);
  if (found != messages.end()) return found->second;
  return {kFatalTitle, "The start-up step \"" + label + "\" failed."};
}

}  // namespace

std::intptr_t CheckOrDie(std::intptr_t result, const std::string& label) {
  if (result != 0) return result;
  const FatalMessage message = FatalMessageFor(label);
  ShowMessage(message.title, message.text);
  Shutdown();
}

void EndWithoutDisplay(const std::string& lookedAt) {
  std::cerr << "quorvel" << QUORVEL_BITS
            << ": needs a graphical desktop, but no display can be reached (" << lookedAt << ")\n";
  std::exit(0);
}

void Shutdown() {
  // The sound device goes first: the toolkit's release tears down what it might still depend on.
  ReleaseSound();
  ReleaseToolkit();
  std::exit(0);
}
