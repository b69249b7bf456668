#include "engine/link/TracingSerialPort.h"

TracingSerialPort::TracingSerialPort(SerialPort &inner, const QString &fileName) : inner(inner), file(fileName)
{
    file.open(QIODevice::WriteOnly | QIODevice::Append);
}

void TracingSerialPort::selectPort(int number)
{
    portNumber = number;
    inner.selectPort(number);
}

bool TracingSerialPort::open()
{
    const bool ok = inner.open();
    // The search tries a port every tick; only the ports that open are worth
    // a line.
    if (ok)
        note("# open " + QByteArray::number(portNumber) + " ok");
    return ok;
}

void TracingSerialPort::close()
{
    if (inner.isOpen())
        note("# close");
    inner.close();
}

QByteArray TracingSerialPort::readAll()
{
    const QByteArray bytes = inner.readAll();
    if (!bytes.isEmpty())
        note("< " + escaped(bytes));
    return bytes;
}

void TracingSerialPort::write(const QByteArray &bytes)
{
    note("> " + escaped(bytes));
    inner.write(bytes);
}

QByteArray TracingSerialPort::escaped(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray text;
    text.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            text += "\\\\";
        else if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (u == 27)
            text += "\\e";
        else if (u >= 32 && u < 127)
            text += c;
        else {
            text += "\\x";
            text += hex[u >> 4];
            text += hex[u & 15];
        }
    }
    return text;
}

void TracingSerialPort::note(const QByteArray &text)
{
    if (!file.isOpen())
        return;
    QByteArray stamp = clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    if (namePort)
        stamp += " [" + QByteArray::number(portNumber) + ']';
    file.write(stamp + ' ' + text + '\n');
    // A trace is read when something went wrong, possibly after a crash.
    file.flush();
}
