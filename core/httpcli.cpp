#include "httpcli.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <exception>

EHttpException::EHttpException(int statusCode, const QString &reason)
    : TException(QString::number(statusCode) + u' ' + reason)
    , m_statusCode(statusCode)
    , m_reason(reason)
{
}

namespace {

// The code that failures of the connection itself carry.
constexpr int NetworkFailure = 404;
// A longer header than this is not an HTTP answer we want to keep reading.
constexpr qsizetype MaxHeaderSize = 64 * 1024;
constexpr qint64 ReadChunk = 64 * 1024;

QString seconds(int ms)
{
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

// Index just past the empty line that ends the header, or -1. Servers that
// end lines with LF alone are accepted too.
qsizetype headerEnd(const QByteArray &data)
{
    const qsizetype crlf = data.indexOf("\r\n\r\n");
    const qsizetype lf = data.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        return crlf + 4;
    return lf >= 0 ? lf + 2 : -1;
}

// The host as the Host header writes it: an IPv6 address in brackets.
QString hostText(const QUrl &url)
{
    const QString host = url.host(QUrl::FullyEncoded);
    return host.contains(u':') ? u'[' + host + u']' : host;
}

bool allDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

// One GET: the socket, the wait and the parsing of the answer. Errors met in
// the socket's signal handlers are kept and rethrown by get() once the local
// event loop has returned, since exceptions must not cross the event loop.
class THttpCli::Transfer
{
public:
    Transfer(THttpCli &cli, const QUrl &url, QByteArray request);
    ~Transfer();
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    // Runs the request; afterwards error() tells how it ended.
    void run();
    void cancel();
    std::exception_ptr error() const { return m_error; }

private:
    template<typename F>
    void guarded(F f);
    void fail(const QString &reason);
    void fail(std::exception_ptr e);
    void finish();
    void onConnected();
    void onReadyRead();
    void onClosed();
    void onSocketError(QAbstractSocket::SocketError e);
    void parseHeader(const QByteArray &header);
    void writeBody(QByteArray data);

    THttpCli &m_cli;
    const QUrl m_url;
    const QString m_where;
    const QByteArray m_request;
    QTcpSocket m_socket;
    QEventLoop m_loop;
    QTimer m_connectTimer;
    QTimer m_idleTimer;
    bool m_connected = false;
    QByteArray m_header;
    bool m_headerDone = false;
    qint64 m_contentLength = -1;
    qint64 m_received = 0;
    bool m_done = false;
    std::exception_ptr m_error;
};

THttpCli::Transfer::Transfer(THttpCli &cli, const QUrl &url, QByteArray request)
    : m_cli(cli)
    , m_url(url)
    , m_where(hostText(url) + u':' + QString::number(url.port(80)))
    , m_request(std::move(request))
{
    m_connectTimer.setSingleShot(true);
    m_idleTimer.setSingleShot(true);
}

THttpCli::Transfer::~Transfer()
{
    // Closing the socket emits signals; nothing of ours may hear them now.
    m_socket.disconnect();
    m_socket.abort();
}

template<typename F>
void THttpCli::Transfer::guarded(F f)
{
    if (m_done)
        return;
    try {
        f();
    } catch (...) {
        fail(std::current_exception());
    }
}

void THttpCli::Transfer::fail(const QString &reason)
{
    fail(std::make_exception_ptr(EHttpException(NetworkFailure, reason)));
}

void THttpCli::Transfer::fail(std::exception_ptr e)
{
    m_error = std::move(e);
    finish();
}

void THttpCli::Transfer::finish()
{
    m_done = true;
    m_connectTimer.stop();
    m_idleTimer.stop();
    m_loop.quit();
}

void THttpCli::Transfer::run()
{
    QObject::connect(&m_socket, &QTcpSocket::connected, &m_loop, [this] { guarded([this] { onConnected(); }); });
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_loop, [this] { guarded([this] { onReadyRead(); }); });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_loop, [this] { guarded([this] { onClosed(); }); });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_loop,
                     [this](QAbstractSocket::SocketError e) { guarded([this, e] { onSocketError(e); }); });
    QObject::connect(&m_connectTimer, &QTimer::timeout, &m_loop, [this] {
        fail(QStringLiteral("No connection to %1 within %2").arg(m_where, seconds(m_cli.m_connectTimeout)));
    });
    QObject::connect(&m_idleTimer, &QTimer::timeout, &m_loop, [this] {
        fail(QStringLiteral("The server %1 sent nothing for %2").arg(m_where, seconds(m_cli.m_idleTimeout)));
    });

    m_connectTimer.start(m_cli.m_connectTimeout);
    m_socket.setProxy(QNetworkProxy::NoProxy);
    m_socket.connectToHost(m_url.host(QUrl::EncodeUnicode), static_cast<quint16>(m_url.port(80)));
    if (!m_done)
        m_loop.exec();
    // The loop also ends when the application quits.
    if (!m_done)
        fail(QStringLiteral("The download from %1 was interrupted").arg(m_where));
}

void THttpCli::Transfer::cancel()
{
    if (!m_done)
        fail(QStringLiteral("The download from %1 was cancelled").arg(m_where));
}

void THttpCli::Transfer::onConnected()
{
    m_connected = true;
    m_connectTimer.stop();
    m_idleTimer.start(m_cli.m_idleTimeout);
    m_socket.write(m_request);
}

void THttpCli::Transfer::onReadyRead()
{
    while (!m_done && m_socket.bytesAvailable() > 0) {
        QByteArray data = m_socket.read(ReadChunk);
        m_idleTimer.start(m_cli.m_idleTimeout);
        if (!m_headerDone) {
            m_header += data;
            const qsizetype end = headerEnd(m_header);
            if (end < 0) {
                if (m_header.size() > MaxHeaderSize)
                    fail(QStringLiteral("The answer of %1 has no end of header").arg(m_where));
                continue;
            }
            data = m_header.mid(end);
            m_header.truncate(end);
            m_headerDone = true;
            parseHeader(m_header);
            if (m_done)
                return;
        }
        writeBody(std::move(data));
    }
}

void THttpCli::Transfer::parseHeader(const QByteArray &header)
{
    QList<QByteArray> lines = header.split('\n');
    for (QByteArray &l : lines) {
        if (l.endsWith('\r'))
            l.chop(1);
    }

    // "HTTP/1.x 200 Reason"
    const QByteArray &status = lines.constFirst();
    const qsizetype space = status.indexOf(' ');
    const QByteArray code = space < 0 ? QByteArray() : status.mid(space + 1, 3);
    if (!status.startsWith("HTTP/") || !allDigits(code) || code.size() != 3
        || (status.size() > space + 4 && status.at(space + 4) != ' ')) {
        fail(QStringLiteral("The answer of %1 is not HTTP").arg(m_where));
        return;
    }
    m_cli.m_statusCode = code.toInt();
    m_cli.m_reasonPhrase = QString::fromLatin1(status.mid(space + 4).trimmed());

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        const QByteArray value = line.mid(colon + 1).trimmed();
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        if (!ok || !allDigits(value) || (m_contentLength >= 0 && m_contentLength != length)) {
            fail(QStringLiteral("The answer of %1 has an invalid Content-Length").arg(m_where));
            return;
        }
        m_contentLength = length;
    }

    if (m_cli.m_statusCode >= 400)
        fail(std::make_exception_ptr(EHttpException(m_cli.m_statusCode, m_cli.m_reasonPhrase)));
    else if (m_contentLength == 0)
        finish();
}

void THttpCli::Transfer::writeBody(QByteArray data)
{
    if (m_contentLength >= 0 && data.size() > m_contentLength - m_received)
        data.truncate(m_contentLength - m_received);
    if (!data.isEmpty()) {
        if (m_cli.m_stream->write(data) != data.size())
            throw EFileError(QStringLiteral("Cannot write the download from %1: %2")
                                 .arg(m_where, m_cli.m_stream->errorString()));
        m_received += data.size();
        if (m_cli.m_progress)
            m_cli.m_progress(m_received);
    }
    if (m_contentLength >= 0 && m_received == m_contentLength)
        finish();
}

void THttpCli::Transfer::onClosed()
{
    onReadyRead(); // whatever came with the close
    if (m_done)
        return;
    if (!m_headerDone)
        fail(m_header.isEmpty()
                 ? QStringLiteral("The server %1 closed the connection without answering").arg(m_where)
                 : QStringLiteral("The server %1 closed the connection within the header").arg(m_where));
    else if (m_contentLength >= 0 && m_received < m_contentLength)
        fail(QStringLiteral("The server %1 closed the connection after %2 of %3 bytes")
                 .arg(m_where)
                 .arg(m_received)
                 .arg(m_contentLength));
    else
        finish();
}

void THttpCli::Transfer::onSocketError(QAbstractSocket::SocketError e)
{
    if (e == QAbstractSocket::RemoteHostClosedError)
        onClosed();
    else if (m_connected)
        fail(QStringLiteral("The connection to %1 failed: %2").arg(m_where, m_socket.errorString()));
    else
        fail(QStringLiteral("Cannot connect to %1: %2").arg(m_where, m_socket.errorString()));
}

void THttpCli::checkIdle() const
{
    if (m_busy)
        throw TException(QStringLiteral("The HTTP client is busy with another download."));
}

void THttpCli::setUrl(const QString &url)
{
    checkIdle();
    m_url = url;
}

void THttpCli::setReceiveStream(QIODevice *stream)
{
    checkIdle();
    m_stream = stream;
}

QByteArray THttpCli::requestFor(const QUrl &url)
{
    if (!url.isValid() || url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0
        || url.host().isEmpty())
        throw EHttpException(NetworkFailure,
                             QStringLiteral("Not an http:// address: \"%1\"").arg(url.toString()));

    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (url.hasQuery())
        path += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = hostText(url).toLatin1();
    if (url.port(80) != 80)
        host += ':' + QByteArray::number(url.port());

    return "GET " + path + " HTTP/1.0\r\n"
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible)\r\n"
           "Host: " + host + "\r\n"
           "\r\n";
}

void THttpCli::get()
{
    checkIdle();
    if (!m_stream)
        throw TException(QStringLiteral("The HTTP client has no receiving stream."));
    m_statusCode = 0;
    m_reasonPhrase.clear();
    const QUrl url(m_url);
    const QByteArray request = requestFor(url);

    Transfer transfer(*this, url, request);
    struct Running
    {
        THttpCli &cli;
        ~Running()
        {
            cli.m_transfer = nullptr;
            cli.m_busy = false;
        }
    } running{*this};
    m_busy = true;
    m_transfer = &transfer;
    transfer.run();
    if (transfer.error())
        std::rethrow_exception(transfer.error());
}

void THttpCli::abort()
{
    if (m_transfer)
        m_transfer->cancel();
}
