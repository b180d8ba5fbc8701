#include "errors.h"

TException::TException(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

QString exceptionText(const std::exception &e)
{
    if (auto *t = dynamic_cast<const TException *>(&e))
        return t->message();
    return QString::fromLocal8Bit(e.what());
}
