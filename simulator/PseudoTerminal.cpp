#include "simulator/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open()
{
    close();
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B57600);
    cfsetospeed(&raw, B57600);
    char name[256] = {};
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        master = slave = -1;
        return false;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    path = QString::fromLocal8Bit(name);
    error.clear();
    pending.clear();
    return true;
}

void PseudoTerminal::close()
{
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
    master = slave = -1;
    pending.clear();
}

QByteArray PseudoTerminal::read()
{
    QByteArray bytes;
    if (master < 0)
        return bytes;
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;   // EAGAIN: nothing more; EIO: nobody on the other side
    }
    return bytes;
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (master < 0)
        return;
    pending += bytes;
    if (pending.size() > MaxPending)
        pending.remove(0, pending.size() - MaxPending);
    flushPending();
}

void PseudoTerminal::flushPending()
{
    while (!pending.isEmpty()) {
        const ssize_t n = ::write(master, pending.constData(), size_t(pending.size()));
        if (n > 0) {
            pending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;   // the program is not reading: keep the rest for later
    }
}
