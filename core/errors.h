#pragma once

#include <QString>
#include <stdexcept>

// Failures are exceptions. Every exception the program raises carries a text
// meant for the user; the application's error box shows message().
class TException : public std::runtime_error
{
public:
    explicit TException(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A text that should have been a number or a date.
class EConvertError : public TException
{
public:
    using TException::TException;
};

// An index past the end of a list.
class EListError : public TException
{
public:
    using TException::TException;
};

// A file that cannot be read or written.
class EFileError : public TException
{
public:
    using TException::TException;
};

// Text of any exception, for the error box.
QString exceptionText(const std::exception &e);
