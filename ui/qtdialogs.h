#pragma once

#include "dialogs.h"

// The program's dialogs: Qt's message boxes, open-file dialog and input box,
// owned by the active window.
class TQtDialogs final : public TDialogs
{
public:
    void message(const QString &title, const QString &text, Icon icon) override;
    bool question(const QString &title, const QString &text) override;
    QString openFile(const QString &title, const QString &folder, const QString &filter) override;
    std::optional<QString> inputText(const QString &title, const QString &label,
                                     const QString &value) override;

    // "Zip files|*.zip|All|*.*;*" as Qt writes it: "Zip files (*.zip);;All (*.* *)".
    static QString qtFilter(const QString &filter);
};
