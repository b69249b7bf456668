#pragma once

#include "engine/state/Protocol.h"

#include <array>
#include <vector>

// The serial ports of one program's testers, shared by their links. A link
// claims a port before it opens it and lets it go when it closes it, so two
// links never talk on one line (a second open is not refused everywhere:
// root ignores the device lock). A port on which a link found its tester
// stays that link's for good: another link never probes it, and the link
// looks for its tester there, and only there, after the line went down.
class PortClaims
{
public:
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = PortCount;

    // The port `link` tries after `previous`: its tester's port once it found
    // one; otherwise the next port after `previous` (16 wraps to 1) that no
    // other link holds. 0 when every port is held by others.
    int nextPort(const void *link, int previous) const;

    // Takes the port for a try; false when another link holds it.
    bool claim(int port, const void *link);
    // The link closed the port: free again, unless its tester answered there.
    void release(int port, const void *link);
    // A tester answered the link on this port.
    void keepForTester(int port, const void *link);
    // The link is gone: every port it held is free, and it is parked no more.
    void releaseAll(const void *link);
    // Another tester answered on the link's port: the port is free for the
    // others, and the link tries no port until one is handed over to it.
    void giveUp(int port, const void *link);
    // The link's tester answers on `port`: it becomes the link's only port,
    // in place of any it held, also from a link that is giving it up.
    void handOver(int port, const void *link);

    // Whether another link than `link` holds the port.
    bool heldByOther(int port, const void *link) const;

private:
    struct Claim
    {
        const void *link = nullptr;
        bool tester = false;
    };
    static bool valid(int port) { return port >= FirstPort && port <= LastPort; }

    std::array<Claim, LastPort + 1> claims{};
    std::vector<const void *> parked;   // links that gave up their port
};
