#include "scripteddialogs.h"

TScriptedDialogs::TScriptedDialogs()
    : m_previous(setDialogs(this))
{
}

TScriptedDialogs::~TScriptedDialogs()
{
    setDialogs(m_previous);
}

QStringList TScriptedDialogs::texts(const QString &kind) const
{
    QStringList out;
    for (const Call &c : calls) {
        if (c.kind == kind)
            out << c.title + u'|' + c.text;
    }
    return out;
}

void TScriptedDialogs::message(const QString &title, const QString &text, Icon icon)
{
    calls.append({QStringLiteral("message"), title, text, icon});
}

bool TScriptedDialogs::question(const QString &title, const QString &text)
{
    calls.append({QStringLiteral("question"), title, text, Icon::Question});
    return questionAnswers.isEmpty() ? false : questionAnswers.dequeue();
}

QString TScriptedDialogs::openFile(const QString &title, const QString &folder, const QString &filter)
{
    calls.append({QStringLiteral("openFile"), title, folder + u'|' + filter, Icon::None});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

std::optional<QString> TScriptedDialogs::inputText(const QString &title, const QString &label,
                                                   const QString &value)
{
    calls.append({QStringLiteral("inputText"), title, label + u'|' + value, Icon::None});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}
