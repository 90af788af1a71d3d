// Answers the program's modal dialogs from inside their own event loops, one answer per dialog in
// the order they appear, and records what each dialog showed.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quorvel_test {

struct SeenDialog {
  std::string kind;  // "message" or "file"
  std::string title;
  std::string text;    // the message, or the proposed file name
  std::string filter;  // the selected name filter of a file dialog
};

using Answer = std::function<void(QWidget*)>;

Answer PressButton(const std::string& buttonText);  // "OK", "Yes", "No" as the box shows them
Answer ChooseFile(const std::string& path);
Answer CancelDialog();

// Runs `action`, answering the dialogs it opens with `answers` in turn, and returns what they
// showed. A dialog beyond the given answers is cancelled, and reported as seen.
std::vector<SeenDialog> WithAnswers(const std::vector<Answer>& answers,
                                    const std::function<void()>& action);

}  // namespace quorvel_test
