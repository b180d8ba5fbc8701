#include "updatecheck.h"

#include "maker.h"

#include "appdir.h"
#include "config.h"
#include "dialogs.h"
#include "inifile.h"
#include "localeformat.h"
#include "translatemsg.h"

#include <QFile>

namespace {

// Runs body; cleanup runs afterwards whether or not body throws.
template<typename Body, typename Cleanup>
void runThenCleanup(Body body, Cleanup cleanup)
{
    try {
        body();
    } catch (...) {
        cleanup();
        throw;
    }
    cleanup();
}

QString receivedText(qint64 bytes)
{
    return TranslateMsg(QStringLiteral("Received")) + u' ' + QString::number(bytes) + u' '
           + TranslateMsg(QStringLiteral("bytes"));
}

// A version number of the version file; 1.0 when missing or not a number.
double readVersion(const TIniFile &ini, const QString &key)
{
    return parseLocaleNumber(ini.readString(QStringLiteral("Versions"), key, QString()), 1.0);
}

void notice(const QString &text)
{
    Dialogs().message(QStringLiteral("Quorvane Submit"), text, TDialogs::Icon::None);
}

} // namespace

TUpdateCheck::TUpdateCheck(Hooks hooks)
    : m_hooks(std::move(hooks))
{
    m_http.setProgress([this](qint64 bytes) { status(receivedText(bytes)); });
}

QString TUpdateCheck::serverUrl()
{
    QString url = AppConfig && !AppConfig->UpdateUrl.isEmpty() ? AppConfig->UpdateUrl
                                                               : MakerSite();
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

void TUpdateCheck::status(const QString &text) const
{
    if (m_hooks.setStatusText)
        m_hooks.setStatusText(text);
}

void TUpdateCheck::busyCursor(bool busy) const
{
    if (m_hooks.setBusyCursor)
        m_hooks.setBusyCursor(busy);
}

void TUpdateCheck::checkEnabled(bool enabled) const
{
    if (m_hooks.setCheckEnabled)
        m_hooks.setCheckEnabled(enabled);
}

void TUpdateCheck::DownloadFile(const QString &url, const QString &fileName)
{
    // Refused while another download runs, before its file could be touched.
    m_http.setUrl(url);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(QStringLiteral("Cannot create the file \"%1\": %2").arg(fileName, file.errorString()));
    m_http.setReceiveStream(&file);
    status(TranslateMsg(QStringLiteral("Loading")));
    busyCursor(true);
    runThenCleanup(
        [&] {
            try {
                m_http.get();
                if (!file.flush())
                    throw EFileError(QStringLiteral("Cannot write the file \"%1\": %2")
                                         .arg(fileName, file.errorString()));
                status(receivedText(file.size()));
            } catch (const EHttpException &e) {
                status(TranslateMsg(QStringLiteral("Failed")) + QStringLiteral(" : ")
                       + QString::number(e.statusCode()) + u' ' + e.reason());
            }
        },
        [&] {
            file.close();
            m_http.setReceiveStream(nullptr);
            busyCursor(false);
        });
}

void TUpdateCheck::Check()
{
    if (m_running)
        return;
    if (!AppConfig)
        throw TException(QStringLiteral("The settings are not loaded."));
    m_running = true;
    m_cancelled = false;
    checkEnabled(false);
    runThenCleanup([this] { runCheck(); },
                   [this] {
                       m_running = false;
                       checkEnabled(true);
                   });
}

void TUpdateCheck::Cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    m_http.abort();
}

void TUpdateCheck::runCheck()
{
    const QString server = serverUrl();
    const QString versionFile = AppDir() + QStringLiteral("kpver.ini");
    DownloadFile(server + QStringLiteral("/download/kpver.ini"), versionFile);
    if (m_cancelled)
        return;

    const TIniFile ini(versionFile);
    const double programVer = readVersion(ini, QStringLiteral("KelsprintVer"));
    const double siteVer = readVersion(ini, QStringLiteral("SiteVer"));

    if (programVer > ProgramVersion)
        notice(TranslateMsg(QStringLiteral("Kelsprint version")) + u' ' + formatLocaleNumber(programVer) + u' '
               + TranslateMsg(QStringLiteral("is now available.")));
    if (m_cancelled)
        return;

    if (siteVer > AppConfig->SiteVer) {
        DownloadFile(server + QStringLiteral("/download/sites.zip"), AppDir() + QStringLiteral("sites.zip"));
        if (m_cancelled)
            return;
        if (m_hooks.updateSites()) {
            AppConfig->SiteVer = siteVer;
            notice(TranslateMsg(QStringLiteral("Site data updated")));
        }
    } else {
        notice(TranslateMsg(QStringLiteral("Your site data is up to date.")));
    }
}
