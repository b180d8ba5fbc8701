#include "httptestserver.h"

#include <QTcpSocket>
#include <stdexcept>

THttpTestServer::THttpTestServer()
{
    if (!m_server.listen(QHostAddress::LocalHost))
        throw std::runtime_error("cannot listen on 127.0.0.1");
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            const qsizetype index = requests.size();
            requests.append(QByteArray());
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, index] {
                const bool answered = requests[index].contains("\r\n\r\n");
                requests[index] += socket->readAll();
                if (!answered && requests[index].contains("\r\n\r\n"))
                    serve(socket, index);
            });
        }
    });
}

void THttpTestServer::serve(QTcpSocket *socket, qsizetype index)
{
    const QByteArray line = requests[index].left(requests[index].indexOf("\r\n"));
    const QByteArray path = line.split(' ').value(1);
    paths.append(path);
    const Reply reply = m_replies.value(path, Reply{"HTTP/1.0 404 Not Found\r\n\r\n", true});
    socket->write(reply.bytes);
    if (reply.close)
        socket->disconnectFromHost();
}

QString THttpTestServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void THttpTestServer::setReply(const QByteArray &path, const Reply &reply)
{
    m_replies.insert(path, reply);
}

void THttpTestServer::setFile(const QByteArray &path, const QByteArray &body)
{
    setReply(path, {ok(body), true});
}

QByteArray THttpTestServer::ok(const QByteArray &body)
{
    return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

quint16 THttpTestServer::closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        throw std::runtime_error("cannot listen on 127.0.0.1");
    return probe.serverPort();
}
