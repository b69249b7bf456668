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
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Testers = 16;



// One GET on a kept connection, answered in full: the milliseconds it took,
// or -1 when no whole answer came within ten seconds.
double AskOnce(QTcpSocket &socket)
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

} // namespace

void PrintWebFigures(const BenchScale &scale, BenchFigures &figures)
{
    NoSettings settings;
    QuietDialogs dialogs;
    NoFiles files;
    std::vector<std::unique_ptr<BenchPort>> ports;
    std::vector<std::unique_ptr<TesterSession>> sessions;
    for (int i = 0; i < Testers; ++i) {
        ports.push_back(std::make_unique<BenchPort>());
        sessions.push_back(std::make_unique<TesterSession>(
            SessionOutside{*ports.back(), settings, dialogs, files, files}, 0));
        TesterState &s = sessions.back()->state();
        s.vSerialNumber = QStringLiteral("418%1").arg(i, 5, 10, QLatin1Char('0'));
        s.CycleCount = 1234567 + i;
        s.vCycleLimit = 2000000;
        s.FailCount = i;
        s.vUpdateTime = QDateTime::currentDateTime();
        s.DataFileOpen = true;
        s.DataFileName = QStringLiteral("/data/run%1.txt").arg(i);
    }
    WebView view(
        [&] {
            std::vector<const TesterSession *> all;
            for (const auto &session : sessions)
                all.push_back(session.get());
            return all;
        },
        WebPage());
    WebServer server(view);
    if (!server.listen({QStringLiteral("127.0.0.1"), 0}).isEmpty()) {
        std::fprintf(stderr, "lifecycle-bench: the web view cannot listen on loopback\n");
        return;
    }
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    std::vector<double> runs;
    for (int i = 0; i < scale.count(41, 3); ++i)
        runs.push_back(AskOnce(socket));
    std::sort(runs.begin(), runs.end());
    // A request that got no whole answer sorts first.
    figures.add("web_testers_ms_16", runs[runs.size() / 2], 2, runs.front() >= 0);
}
