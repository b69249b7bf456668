#include "FakeSerialPort.h"

QStringList FakeSerialPort::frames() const
{
    QByteArray bytes = written;
    return takeFramesFrom(bytes);
}

QStringList takeFramesFrom(QByteArray &bytes)
{
    QStringList frames;
    QByteArray current;
    for (const char c : std::as_const(bytes)) {
        if (c == 27)
            frames << QStringLiteral("<ESC>");
        else if (c == '\r')
            frames << QString::fromLatin1(std::exchange(current, {}));
        else
            current += c;
    }
    bytes = current;   // a command not yet complete stays for next time
    return frames;
}

QStringList FakeSerialPort::takeFrames()
{
    const QStringList all = frames();
    const QStringList fresh = all.mid(framesTaken);
    framesTaken = int(all.size());
    return fresh;
}
