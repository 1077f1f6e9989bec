#pragma once

#include <QString>

#include <stdexcept>

// A file that could not be read or written; the message is shown as is.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};
