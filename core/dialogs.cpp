#include "dialogs.h"

#include <cstdio>

TDialogs::~TDialogs() = default;

namespace {

class TConsoleDialogs final : public TDialogs
{
public:
    void message(const QString &title, const QString &text, Icon) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(const QString &title, const QString &text) override
    {
        message(title, text, Icon::Question);
        return false;
    }
    QString openFile(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> inputText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
};

TConsoleDialogs g_console;
TDialogs *g_dialogs = nullptr;

} // namespace

TDialogs &Dialogs()
{
    return g_dialogs ? *g_dialogs : g_console;
}

TDialogs *setDialogs(TDialogs *d)
{
    TDialogs *old = g_dialogs;
    g_dialogs = d;
    return old;
}
