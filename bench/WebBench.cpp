#include "bench/WebBench.h"

#include "bench/BenchFigures.h"
#include "bench/BenchPort.h"
#include "bench/QuietDialogs.h"
#include "engine/config/ConfigFileDialog.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/SettingsStore.h"
#include "engine/session/TesterSession.h"
#include "engine/web/WebView.h"
#include "web/WebServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr int Testers = 16;

void pumpEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

#ifdef Q_OS_LINUX
// This process's resident memory in MB.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// A client that streams a body of up to 300 MB behind a request head, as
// fast as the server takes it: the most this process's memory grew on the
// way, the MB the client got to send and the status that came back.
void streamBody(const BenchScale &scale, BenchFigures &figures, quint16 port, const QByteArray &head, const char *name)
{
    // The quick run sends one piece, which the server reads to the end.
    const qint64 Body = scale.quick ? 256 * 1024 : 300LL * 1024 * 1024;
    const double before = residentMb();
    double most = before;
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    client.write(head);
    const QByteArray chunk(256 * 1024, 'x');
    qint64 sent = 0;
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000 && client.state() != QAbstractSocket::UnconnectedState && sent < Body) {
        if (client.bytesToWrite() < chunk.size()) {
            client.write(chunk);
            sent += chunk.size();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        got += client.readAll();
        most = std::max(most, residentMb());
    }
    while (timer.elapsed() < 35000 && !got.contains("\r\n") && client.state() != QAbstractSocket::UnconnectedState) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        got += client.readAll();
    }
    got += client.readAll();
    // The server must have answered with a refusal, whatever it let through.
    const QByteArray status = got.left(12).mid(9);
    figures.add(name, most - before, 1, status == "401" || status == "405",
                QStringLiteral(" (client sent %1 MB of %2, answer %3)")
                    .arg(double(sent) / (1024 * 1024), 0, 'f', 1)
                    .arg(double(Body) / (1024 * 1024), 0, 'f', 1)
                    .arg(QString::fromLatin1(status))
                    .toLatin1());
}

// 1,100 idle connections held by another process while this one runs with
// at most 1,024 files open, as under `ulimit -n 1024`: the connections the
// web view keeps, the files this process holds, and the time an authorized
// request takes, or -1 when no answer came within 15 s.
void idleCrowd(const BenchScale &scale, BenchFigures &figures, const WebServer &server)
{
    const quint16 port = server.port();
    const int Crowd = scale.count(1100, 40);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    const pid_t child = fork();
    if (child == 0) {
        rlimit more = saved;
        more.rlim_cur = more.rlim_max;
        setrlimit(RLIMIT_NOFILE, &more);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < Crowd; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM, 0);
            if (fd < 0)
                break;
            fcntl(fd, F_SETFL, O_NONBLOCK);
            connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
        }
        // Holds them, then ends by itself.
        sleep(20);
        _exit(0);
    }
    rlimit fewer = saved;
    fewer.rlim_cur = std::min<rlim_t>(1024, saved.rlim_max);
    setrlimit(RLIMIT_NOFILE, &fewer);
    pumpEvents(scale.count(3000, 300));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write("GET /api/testers HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer b3nch\r\n\r\n");
    QElapsedTimer timer;
    timer.start();
    QByteArray got;
    while (timer.elapsed() < 15000 && !got.contains("\r\n\r\n")) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        got += socket.readAll();
    }
    const double ms = got.startsWith("HTTP/1.1 200") ? double(timer.nsecsElapsed()) / 1e6 : -1;
    figures.add("web_answer_ms_1100_idle", ms, 1, ms >= 0,
                QStringLiteral(" (connections kept %1, files open %2 of 1024)")
                    .arg(server.connectionCount())
                    .arg(openFiles())
                    .toLatin1());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    setrlimit(RLIMIT_NOFILE, &saved);
    pumpEvents(200);
}
#endif

// One GET on a kept connection, answered in full: the milliseconds it took,
// or -1 when no whole answer came within ten seconds.
double askOnce(QTcpSocket &socket)
{
    QElapsedTimer timer;
    timer.start();
    socket.write("GET /api/testers HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray got;
    qsizetype wanted = -1;
    while (timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        got += socket.readAll();
        const qsizetype headEnd = got.indexOf("\r\n\r\n");
        if (wanted < 0 && headEnd >= 0) {
            const qsizetype at = got.indexOf("Content-Length: ");
            wanted = headEnd + 4 + got.mid(at + 16, got.indexOf('\r', at) - at - 16).toLongLong();
        }
        if (wanted >= 0 && got.size() >= wanted)
            return double(timer.nsecsElapsed()) / 1e6;
    }
    return -1;
}

}   // namespace

void printWebFigures(const BenchScale &scale, BenchFigures &figures)
{
    NoSettings settings;
    QuietDialogs dialogs;
    NoFiles files;
    std::vector<std::unique_ptr<BenchPort>> ports;
    std::vector<std::unique_ptr<TesterSession>> sessions;
    for (int i = 0; i < Testers; ++i) {
        ports.push_back(std::make_unique<BenchPort>());
        sessions.push_back(
            std::make_unique<TesterSession>(SessionOutside{*ports.back(), settings, dialogs, files, files}, 0));
        TesterState &s = sessions.back()->state();
        s.identity.serialNumber = QStringLiteral("418%1").arg(i, 5, 10, QLatin1Char('0'));
        s.counters.cycleCount = 1234567 + i;
        s.reported.cycleLimit = 2000000;
        s.counters.failCount = i;
        s.counters.updateTime = QDateTime::currentDateTime();
        s.session.dataFileOpen = true;
        s.session.dataFileName = QStringLiteral("/data/run%1.txt").arg(i);
    }
    WebView view(
        [&] {
            std::vector<const TesterSession *> all;
            for (const auto &session : sessions)
                all.push_back(session.get());
            return all;
        },
        webPage());
    WebServer server(view);
    if (!server.listen({QStringLiteral("127.0.0.1"), 0}).isEmpty()) {
        std::fprintf(stderr, "lifecycle-bench: the web view cannot listen on loopback\n");
        return;
    }
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    std::vector<double> runs;
    for (int i = 0; i < scale.count(41, 3); ++i)
        runs.push_back(askOnce(socket));
    std::sort(runs.begin(), runs.end());
    // A request that got no whole answer sorts first.
    figures.add("web_testers_ms_16", runs[runs.size() / 2], 2, runs.front() >= 0);
    socket.abort();

#ifdef Q_OS_LINUX
    // The lab's case: a token, and clients without it.
    view.setToken("b3nch");
    streamBody(scale, figures, server.port(),
               "GET /api/testers HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2000000000\r\n\r\n",
               "web_body_get_no_token_rss_growth_mb");
    streamBody(scale, figures, server.port(),
               "POST /api/testers HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer b3nch\r\n"
               "Content-Length: 2000000000\r\n\r\n",
               "web_body_post_rss_growth_mb");
    idleCrowd(scale, figures, server);
#endif
}
