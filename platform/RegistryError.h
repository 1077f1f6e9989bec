#pragma once

#include <QString>

#include <stdexcept>

// A registry write that failed; the message is shown to the user as is.
class ERegistryException : public std::runtime_error {
public:
    explicit ERegistryException(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};
