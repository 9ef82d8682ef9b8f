#pragma once

#include <QString>
#include <stdexcept>

// The errors that end a handler. The first two are shown in the standard
// error box; a cancellation has already said what it had to.
class UserError : public std::runtime_error {
  public:
    explicit UserError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

class ConversionError : public UserError {
  public:
    using UserError::UserError;
};

class IoError : public UserError {
  public:
    using UserError::UserError;
};

class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

// The standard error box ends a message with a full stop unless its last
// character is "." or sorts before it.
QString withFullStop(const QString& text);
