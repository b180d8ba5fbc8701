#pragma once

#include "dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Dialogs for tests: records every call and answers from scripted queues.
// An unscripted question is answered No, a file dialog or input box is
// cancelled. Installs itself while it lives.
class TScriptedDialogs final : public TDialogs
{
public:
    struct Call
    {
        QString kind; // "message", "question", "openFile", "inputText"
        QString title;
        QString text;
        Icon icon = Icon::None;
    };

    TScriptedDialogs();
    ~TScriptedDialogs() override;
    TScriptedDialogs(const TScriptedDialogs &) = delete;
    TScriptedDialogs &operator=(const TScriptedDialogs &) = delete;

    QList<Call> calls;
    QQueue<bool> questionAnswers;
    QQueue<QString> fileAnswers;
    QQueue<std::optional<QString>> inputAnswers;

    // The calls of one kind, as "title|text" strings, for compact comparisons.
    QStringList texts(const QString &kind = QStringLiteral("message")) const;

    void message(const QString &title, const QString &text, Icon icon) override;
    bool question(const QString &title, const QString &text) override;
    QString openFile(const QString &title, const QString &folder, const QString &filter) override;
    std::optional<QString> inputText(const QString &title, const QString &label,
                                     const QString &value) override;

private:
    TDialogs *m_previous;
};
