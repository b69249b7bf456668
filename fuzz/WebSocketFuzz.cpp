// The web view's server as it runs, fed through a socket on loopback with
// its connection limit and deadlines in place (made short here). The first
// byte's low bit sets an access token, its second bit crowds the server
// with idle connections first; the rest goes out in pieces cut at each
// 0xFF byte, the event loop running between them. Whatever comes, every
// answer starts with a status the view gives, nothing is served without the
// token, the server never holds more connections than its limit, and every
// connection is closed by its deadlines.

#include "FuzzSupport.h"

#include "engine/web/WebView.h"
#include "web/WebServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <memory>
#include <vector>

namespace {

constexpr int MostConnections = 3;
constexpr int CrowdSize = 4;

struct Rig
{
    Rig() : view([] { return std::vector<const TesterSession *>(); }, QByteArray("<html>")), server(view)
    {
        HttpLimits limits;
        limits.mostConnections = MostConnections;
        limits.requestMs = 40;
        limits.idleMs = 60;
        limits.writeMs = 200;
        limits.lingerMs = 20;
        server.setLimits(limits);
        fuzzCheck(server.listen({QStringLiteral("127.0.0.1"), 0}).isEmpty(), "the server listens on loopback");
    }
    WebView view;
    WebServer server;
};

// Runs the event loop for ms, or until done says so.
template <typename Done>
void pumpEvents(int ms, Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool socketClosed(const QTcpSocket &socket)
{
    return socket.state() == QAbstractSocket::UnconnectedState;
}

void checkAnswers(const QByteArray &got, bool tokenSet, const QByteArray &sent)
{
    fuzzCheck(got.isEmpty() || got.startsWith("HTTP/1.1 "), "answers begin with a status line");
    static const QByteArray Statuses[] = {"200", "400", "401", "404", "405", "413", "414", "431"};
    for (qsizetype at = got.indexOf("HTTP/1.1 "); at >= 0; at = got.indexOf("HTTP/1.1 ", at + 1)) {
        const QByteArray status = got.mid(at + 9, 3);
        fuzzCheck(std::find(std::begin(Statuses), std::end(Statuses), status) != std::end(Statuses),
                  "a status the view gives");
        fuzzCheck(status != "200" || !tokenSet || sent.contains("t0k"), "nothing is served without the token");
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_web_socket";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Rig rig;

    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const char flags = input.isEmpty() ? 0 : input[0];
    const bool tokenSet = flags & 1;
    rig.view.setToken(tokenSet ? QByteArray("t0k") : QByteArray());
    const auto withinLimit = [] {
        fuzzCheck(rig.server.connectionCount() <= MostConnections, "no more connections than the limit");
        return false;
    };

    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    const int crowd = (flags & 2) ? CrowdSize : 0;
    for (int i = 0; i <= crowd; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, rig.server.port());
        pumpEvents(2, withinLimit);
    }
    QTcpSocket &client = *sockets.back();
    pumpEvents(200, [&] { return withinLimit() || client.state() == QAbstractSocket::ConnectedState; });

    QByteArray got;
    int pieces = 0;
    for (const QByteArray &piece : input.mid(1).split('\xff')) {
        if (++pieces > 64 || socketClosed(client))
            break;
        client.write(piece);
        pumpEvents(3, [&] {
            withinLimit();
            got += client.readAll();
            return client.bytesToWrite() == 0 && !got.isEmpty();
        });
    }
    // Every connection, answered or not, is closed within its deadlines
    // (40 ms for a request, 60 ms idle, 20 ms after a refusal).
    const auto allClosed = [&] {
        withinLimit();
        got += client.readAll();
        for (const auto &socket : sockets)
            if (!socketClosed(*socket))
                return false;
        return true;
    };
    pumpEvents(2000, allClosed);
    fuzzCheck(allClosed(), "every connection is closed by its deadlines");
    pumpEvents(20, [] { return rig.server.connectionCount() == 0; });
    fuzzCheck(rig.server.connectionCount() == 0, "the server forgets closed connections");
    checkAnswers(got, tokenSet, input);
    return 0;
}
