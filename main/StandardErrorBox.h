#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

// The one place where an error raised inside a command or event handler is
// shown: an error box with its message; the program then goes on.
void ShowStandardError(QWidget* parent, const QString& message);

// The message of an exception of any kind this program raises.
QString ExceptionMessage(std::exception_ptr error);

// Runs a handler; an error it raises is shown and ends only that handler.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

// A handler of the same arguments that runs `handler` guarded.
template <typename... Args>
std::function<void(Args...)> Guarded(QWidget* parent, std::function<void(Args...)> handler)
{
    return [parent, handler](Args... args) { RunGuarded(parent, [&] { handler(args...); }); };
}
