#pragma once

#include <QString>
#include <optional>

namespace cli {

// The operator's terminal (/dev/tty) in a batch: the question for the next
// chip is asked there and answered there, never on the image's stdin, and a
// failed chip rings its bell.
class TerminalPrompt {
  public:
    TerminalPrompt() = default;
    ~TerminalPrompt();
    TerminalPrompt(const TerminalPrompt&) = delete;
    TerminalPrompt& operator=(const TerminalPrompt&) = delete;

    // The refusal, or nothing.
    std::optional<QString> open();
    // Asks and waits for a line: false for "q", the end of input or Ctrl+C.
    bool next(const QString& question);
    void bell();

  private:
    bool endLine();

    int fd_ = -1;
};

}  // namespace cli
