#pragma once

#include <QString>

#include <stdexcept>

// An error raised to the application's error box; what() holds the message
// as UTF-8, Message as text.
class EQuillonError : public std::runtime_error {
public:
    explicit EQuillonError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};
