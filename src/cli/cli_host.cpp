#include "cli/cli_host.h"

#include <iostream>

namespace quillane::cli {

MessageAnswer CliHost::messageBox(const std::string& text, const std::string& caption, MessageIcon,
                                  MessageButtons buttons, MessageAnswer defaultAnswer) {
  const bool question = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel;
  if (question && answerYes) return MessageAnswer::Yes;
  std::string oneLine = text;
  for (char& c : oneLine)
    if (c == '\n') c = ' ';
  lastMessage = oneLine;
  if (capture) {
    capture->push_back(caption + ": " + oneLine);
    return defaultAnswer;
  }
  std::cerr << "quillane-cli: " << caption << ": " << oneLine << "\n";
  return defaultAnswer;
}

}  // namespace quillane::cli
