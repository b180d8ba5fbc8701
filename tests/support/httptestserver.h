#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTcpServer>

// An HTTP server on 127.0.0.1 for tests. It records every byte that each
// connection sends and, once a request's header is complete, answers with
// the bytes scripted for its path (a bare 404 for any other path).
class THttpTestServer
{
public:
    struct Reply
    {
        QByteArray bytes;  // written as they are
        bool close = true; // false: stay connected and silent afterwards
    };

    THttpTestServer();
    THttpTestServer(const THttpTestServer &) = delete;
    THttpTestServer &operator=(const THttpTestServer &) = delete;

    // "http://127.0.0.1:<port>"
    QString url() const;
    void setReply(const QByteArray &path, const Reply &reply);
    void setFile(const QByteArray &path, const QByteArray &body);

    // What each connection sent, in the order they came.
    QList<QByteArray> requests;
    // The paths asked for, in order.
    QList<QByteArray> paths;

    // A full 200 answer with Content-Length.
    static QByteArray ok(const QByteArray &body);
    // A port on 127.0.0.1 on which nothing listens.
    static quint16 closedPort();

private:
    void serve(QTcpSocket *socket, qsizetype index);

    QTcpServer m_server;
    QHash<QByteArray, Reply> m_replies;
};
