#include "httpcli.h"
#include "httptestserver.h"

#include <QBuffer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A client writing into memory, with time-outs short enough for tests.
struct Client
{
    THttpCli cli;
    QByteArray body;
    QBuffer buffer{&body};
    QList<qint64> progress;

    explicit Client(int timeoutMs = 5000)
    {
        buffer.open(QIODevice::WriteOnly);
        cli.setReceiveStream(&buffer);
        cli.setConnectTimeout(timeoutMs);
        cli.setIdleTimeout(timeoutMs);
        cli.setProgress([this](qint64 n) { progress << n; });
    }
    void get(const QString &url)
    {
        cli.setUrl(url);
        cli.get();
    }
    // The HTTP error of a get, if there is one.
    std::optional<EHttpException> failure(const QString &url)
    {
        try {
            get(url);
        } catch (const EHttpException &e) {
            return e;
        }
        return std::nullopt;
    }
};

using Reply = THttpTestServer::Reply;

} // namespace

Q_DECLARE_METATYPE(THttpTestServer::Reply)

class TstHttpCli : public QObject
{
    Q_OBJECT

private slots:
    void requestFor_data();
    void requestFor();
    void invalidAddress_data();
    void invalidAddress();
    void exactRequestOnTheWire();
    void bodies_data();
    void bodies();
    void failures_data();
    void failures();
    void refusedConnection();
    void connectTimeout();
    void idleTimeout_data();
    void idleTimeout();
    void secondRequestWhileBusyIsRefused();
    void streamThatRefusesDataIsAFileError();
};

void TstHttpCli::requestFor_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<QByteArray>("host");
    QTest::newRow("standard port") << "http://www.quorvane.example/download/kpver.ini"
                                   << QByteArray("GET /download/kpver.ini HTTP/1.0") << QByteArray("www.quorvane.example");
    QTest::newRow("port 80 written out") << "http://www.quorvane.example:80/download/sites.zip"
                                         << QByteArray("GET /download/sites.zip HTTP/1.0")
                                         << QByteArray("www.quorvane.example");
    QTest::newRow("other port") << "http://127.0.0.1:8000/download/kpver.ini"
                                << QByteArray("GET /download/kpver.ini HTTP/1.0") << QByteArray("127.0.0.1:8000");
    QTest::newRow("no path") << "http://Mirror.Example" << QByteArray("GET / HTTP/1.0") << QByteArray("mirror.example");
    QTest::newRow("query kept, fragment dropped")
        << "http://h.example/a b?q=1 2#top" << QByteArray("GET /a%20b?q=1%202 HTTP/1.0") << QByteArray("h.example");
    QTest::newRow("line breaks cannot split the request")
        << "http://h.example/x\r\nX-Evil: 1" << QByteArray("GET /x%0D%0AX-Evil:%201 HTTP/1.0") << QByteArray("h.example");
    QTest::newRow("IPv6") << "http://[::1]:8080/x" << QByteArray("GET /x HTTP/1.0") << QByteArray("[::1]:8080");
}

void TstHttpCli::requestFor()
{
    QFETCH(QString, url);
    QFETCH(QByteArray, requestLine);
    QFETCH(QByteArray, host);
    QCOMPARE(THttpCli::requestFor(QUrl(url)),
             requestLine + "\r\n"
             "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
             "User-Agent: Mozilla/3.0 (compatible)\r\n"
             "Host: " + host + "\r\n\r\n");
}

void TstHttpCli::invalidAddress_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("https") << "https://www.quorvane.example/download/kpver.ini";
    QTest::newRow("ftp") << "ftp://www.quorvane.example/kpver.ini";
    QTest::newRow("no host") << "http:///download/kpver.ini";
    QTest::newRow("empty") << "";
    QTest::newRow("bad port") << "http://127.0.0.1:99999/";
}

void TstHttpCli::invalidAddress()
{
    QFETCH(QString, url);
    Client c;
    const auto e = c.failure(url);
    QVERIFY(e);
    QCOMPARE(e->statusCode(), 404);
    QVERIFY2(e->reason().contains(QLatin1String("http://")), qPrintable(e->reason()));
    QVERIFY(!c.cli.busy());
}

void TstHttpCli::exactRequestOnTheWire()
{
    THttpTestServer server;
    server.setFile("/download/kpver.ini", "[Versions]\r\n");
    Client c;
    c.get(server.url() + QStringLiteral("/download/kpver.ini"));
    const QByteArray port = server.url().section(u':', 2).toLatin1();
    QCOMPARE(server.requests,
             QList<QByteArray>{"GET /download/kpver.ini HTTP/1.0\r\n"
                               "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                               "User-Agent: Mozilla/3.0 (compatible)\r\n"
                               "Host: 127.0.0.1:" + port + "\r\n"
                               "\r\n"});
    QCOMPARE(c.body, QByteArray("[Versions]\r\n"));
}

void TstHttpCli::bodies_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("Content-Length, server stays connected")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", false} << QByteArray("hello") << 200;
    QTest::newRow("no length, ends at close")
        << Reply{"HTTP/1.0 200 OK\r\nServer: test\r\n\r\nhello world", true} << QByteArray("hello world") << 200;
    QTest::newRow("bytes past the length are dropped")
        << Reply{"HTTP/1.0 200 OK\r\ncontent-length:  3 \r\n\r\nabcdef", true} << QByteArray("abc") << 200;
    QTest::newRow("empty body") << Reply{"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false} << QByteArray() << 200;
    QTest::newRow("lines ended by LF alone")
        << Reply{"HTTP/1.0 200 OK\nContent-Length: 2\n\nok", true} << QByteArray("ok") << 200;
    const QByteArray binary("PK\x03\x04\0\r\n\r\n\xff\0end", 14);
    QTest::newRow("binary body") << Reply{THttpTestServer::ok(binary), true} << binary << 200;
    QTest::newRow("redirect not followed")
        << Reply{"HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 5\r\n\r\nmoved", true}
        << QByteArray("moved") << 302;
}

void TstHttpCli::bodies()
{
    QFETCH(Reply, reply);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    THttpTestServer server;
    server.setReply("/f", reply);
    Client c;
    c.get(server.url() + QStringLiteral("/f"));
    QCOMPARE(c.body, body);
    QCOMPARE(c.cli.statusCode(), status);
    QCOMPARE(server.paths, QList<QByteArray>{"/f"});
    if (!body.isEmpty())
        QCOMPARE(c.progress.constLast(), body.size());
}

void TstHttpCli::failures_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("404 with the server's reason, error page not stored")
        << Reply{"HTTP/1.0 404 File Gone Fishing\r\nContent-Length: 9\r\n\r\nnot here!", true} << 404
        << "File Gone Fishing" << QByteArray();
    QTest::newRow("500 from an HTTP/1.1 server")
        << Reply{"HTTP/1.1 500 Internal Server Error\r\n\r\n", true} << 500 << "Internal Server Error" << QByteArray();
    QTest::newRow("closed in the middle of the body keeps what came")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial", true} << 404 << "after 7 of 100 bytes"
        << QByteArray("partial");
    QTest::newRow("closed without answering") << Reply{"", true} << 404 << "without answering" << QByteArray();
    QTest::newRow("closed within the header")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Le", true} << 404 << "within the header" << QByteArray();
    QTest::newRow("not HTTP") << Reply{"SSH-2.0-OpenSSH_9.2\r\n\r\n", true} << 404 << "not HTTP" << QByteArray();
    QTest::newRow("status code not three digits")
        << Reply{"HTTP/1.0 2000 OK\r\n\r\nbody", true} << 404 << "not HTTP" << QByteArray();
    QTest::newRow("negative Content-Length")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nbody", true} << 404 << "invalid Content-Length"
        << QByteArray();
    QTest::newRow("two different Content-Lengths")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Length: 4\r\nContent-Length: 2\r\n\r\nbody", true} << 404
        << "invalid Content-Length" << QByteArray();
    QTest::newRow("header that never ends")
        << Reply{"HTTP/1.0 200 OK\r\nX: " + QByteArray(70000, 'x'), false} << 404 << "no end of header" << QByteArray();
}

void TstHttpCli::failures()
{
    QFETCH(Reply, reply);
    QFETCH(int, code);
    QFETCH(QString, reason);
    QFETCH(QByteArray, kept);
    THttpTestServer server;
    server.setReply("/f", reply);
    Client c;
    const auto e = c.failure(server.url() + QStringLiteral("/f"));
    QVERIFY(e);
    QCOMPARE(e->statusCode(), code);
    QVERIFY2(e->reason().contains(reason), qPrintable(e->reason()));
    QCOMPARE(c.body, kept);
    QVERIFY(!c.cli.busy());
}

void TstHttpCli::refusedConnection()
{
    Client c;
    const auto e = c.failure(QStringLiteral("http://127.0.0.1:%1/download/kpver.ini").arg(THttpTestServer::closedPort()));
    QVERIFY(e);
    QCOMPARE(e->statusCode(), 404);
    QVERIFY2(e->reason().contains(QLatin1String("refused"), Qt::CaseInsensitive), qPrintable(e->reason()));
}

void TstHttpCli::connectTimeout()
{
    // A server that never accepts: once the kernel's queue of connections
    // waiting to be accepted is full, a new connection stays half open.
    QTcpServer server;
    server.setListenBacklogSize(0);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    server.pauseAccepting();
    std::vector<std::unique_ptr<QTcpSocket>> queued;
    for (bool connected = true; connected && queued.size() < 8;) {
        queued.push_back(std::make_unique<QTcpSocket>());
        queued.back()->connectToHost(QHostAddress::LocalHost, server.serverPort());
        connected = queued.back()->waitForConnected(1000);
    }
    if (queued.back()->state() == QAbstractSocket::ConnectedState)
        QSKIP("this system accepts every connection at once");

    Client c(300);
    const auto e = c.failure(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
    QVERIFY(e);
    QCOMPARE(e->statusCode(), 404);
    QVERIFY2(e->reason().contains(QLatin1String("No connection to 127.0.0.1:")), qPrintable(e->reason()));
    QVERIFY2(e->reason().endsWith(QLatin1String("within 0.3 s")), qPrintable(e->reason()));
}

void TstHttpCli::idleTimeout_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("accepts and never answers") << Reply{"", false} << QByteArray();
    QTest::newRow("stalls in the body")
        << Reply{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", false} << QByteArray("abc");
}

void TstHttpCli::idleTimeout()
{
    QFETCH(Reply, reply);
    QFETCH(QByteArray, kept);
    THttpTestServer server;
    server.setReply("/f", reply);
    Client c(300);
    // Other events are handled while the request waits.
    bool timerFiredWhileBusy = false;
    QTimer::singleShot(20, [&] { timerFiredWhileBusy = c.cli.busy(); });
    const auto e = c.failure(server.url() + QStringLiteral("/f"));
    QVERIFY(e);
    QCOMPARE(e->statusCode(), 404);
    QVERIFY2(e->reason().contains(QLatin1String("sent nothing for 0.3 s")), qPrintable(e->reason()));
    QCOMPARE(c.body, kept);
    QVERIFY(timerFiredWhileBusy);
}

void TstHttpCli::secondRequestWhileBusyIsRefused()
{
    THttpTestServer server;
    server.setReply("/slow", Reply{"", false});
    server.setFile("/fast", "fast");
    Client c;
    const QString slow = server.url() + QStringLiteral("/slow");
    QBuffer other;
    other.open(QIODevice::WriteOnly);
    int refused = 0;
    QTimer::singleShot(20, [&] {
        const auto refuses = [&](auto f) {
            try {
                f();
            } catch (const TException &) {
                ++refused;
            }
        };
        refuses([&] { c.cli.setUrl(server.url() + QStringLiteral("/fast")); });
        refuses([&] { c.cli.setReceiveStream(&other); });
        refuses([&] { c.cli.get(); });
        QCOMPARE(c.cli.url(), slow);
        QCOMPARE(c.cli.receiveStream(), &c.buffer);
        c.cli.abort();
    });
    const auto e = c.failure(slow);
    QCOMPARE(refused, 3);
    QVERIFY(e);
    QVERIFY2(e->reason().contains(QLatin1String("cancelled")), qPrintable(e->reason()));
    QCOMPARE(server.paths, QList<QByteArray>{"/slow"});

    // The client is free again.
    c.get(server.url() + QStringLiteral("/fast"));
    QCOMPARE(c.body, QByteArray("fast"));
}

void TstHttpCli::streamThatRefusesDataIsAFileError()
{
    THttpTestServer server;
    server.setFile("/f", "data");
    Client c;
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    c.cli.setReceiveStream(&readOnly);
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
    QVERIFY_THROWS_EXCEPTION(EFileError, c.get(server.url() + QStringLiteral("/f")));
    QVERIFY(!c.cli.busy());
}

QTEST_GUILESS_MAIN(TstHttpCli)
#include "tst_httpcli.moc"
