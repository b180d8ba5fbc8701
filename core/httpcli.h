#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

class QIODevice;

// The HTTP error: the response's status code (400 or above) and reason
// phrase. Failures of the connection itself carry the code 404 and a reason
// that describes them: a name that cannot be resolved, a refused connection,
// a time-out, an answer that is not HTTP, or a body cut short.
class EHttpException : public TException
{
public:
    EHttpException(int statusCode, const QString &reason);
    int statusCode() const { return m_statusCode; }
    QString reason() const { return m_reason; }

private:
    int m_statusCode;
    QString m_reason;
};

// A small HTTP/1.0 client: one GET at a time, the body written to a
// receiving stream as it arrives. get() waits in a local event loop, so the
// windows repaint and menus work while it runs. Redirects are not followed:
// a 3xx answer's body is what gets stored.
class THttpCli final
{
public:
    static constexpr int DefaultConnectTimeout = 30000; // ms
    static constexpr int DefaultIdleTimeout = 60000;    // ms

    THttpCli() = default;
    THttpCli(const THttpCli &) = delete;
    THttpCli &operator=(const THttpCli &) = delete;

    QString url() const { return m_url; }
    void setUrl(const QString &url);

    // The device the body goes to (not owned); it must be open for writing.
    QIODevice *receiveStream() const { return m_stream; }
    void setReceiveStream(QIODevice *stream);

    // Time allowed for the name look-up and connection, and the longest
    // silence of the server once connected.
    int connectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    int idleTimeout() const { return m_idleTimeout; }
    void setIdleTimeout(int ms) { m_idleTimeout = ms; }

    // Called with the number of body bytes received so far, after each
    // piece has been written to the stream.
    void setProgress(std::function<void(qint64)> progress) { m_progress = std::move(progress); }

    // Fetches url() into receiveStream() and returns when the body has ended:
    // at the connection's close, or once Content-Length bytes have come.
    // Throws EHttpException for an HTTP failure (the stream keeps what was
    // received, the body of a status of 400 or above is not stored), and
    // EFileError when the stream refuses the data. While a request runs,
    // get(), setUrl() and setReceiveStream() throw TException.
    void get();
    bool busy() const { return m_busy; }

    // Ends a running get() with an EHttpException; does nothing otherwise.
    // For a window that closes while a download waits.
    void abort();

    // Status code and reason phrase of the last response (0 and empty when
    // no status line came).
    int statusCode() const { return m_statusCode; }
    QString reasonPhrase() const { return m_reasonPhrase; }

    // The exact bytes sent for a GET of url: the request line and the
    // headers Accept, User-Agent and Host, each ended by CR LF, then an empty
    // line. Throws EHttpException for an address that is not http://.
    static QByteArray requestFor(const QUrl &url);

private:
    class Transfer;
    void checkIdle() const;

    QString m_url;
    QIODevice *m_stream = nullptr;
    int m_connectTimeout = DefaultConnectTimeout;
    int m_idleTimeout = DefaultIdleTimeout;
    std::function<void(qint64)> m_progress;
    bool m_busy = false;
    Transfer *m_transfer = nullptr;
    int m_statusCode = 0;
    QString m_reasonPhrase;
};
