#include "engine/link/PortClaims.h"

#include <algorithm>

int PortClaims::nextPort(const void *link, int previous) const
{
    if (std::find(parked.begin(), parked.end(), link) != parked.end())
        return 0;
    for (int port = FirstPort; port <= LastPort; ++port)
        if (claims[port].link == link && claims[port].tester)
            return port;
    int port = previous;
    for (int tried = 0; tried < LastPort; ++tried) {
        ++port;
        if (!valid(port))
            port = FirstPort;
        if (!heldByOther(port, link))
            return port;
    }
    return 0;
}

bool PortClaims::claim(int port, const void *link)
{
    if (!valid(port) || heldByOther(port, link))
        return false;
    if (claims[port].link != link)
        claims[port] = {link, false};
    return true;
}

void PortClaims::release(int port, const void *link)
{
    if (valid(port) && claims[port].link == link && !claims[port].tester)
        claims[port] = {};
}

void PortClaims::keepForTester(int port, const void *link)
{
    if (valid(port) && claims[port].link == link)
        claims[port].tester = true;
}

void PortClaims::releaseAll(const void *link)
{
    for (Claim &claim : claims)
        if (claim.link == link)
            claim = {};
    parked.erase(std::remove(parked.begin(), parked.end(), link), parked.end());
}

void PortClaims::giveUp(int port, const void *link)
{
    if (valid(port) && claims[port].link == link)
        claims[port] = {};
    if (std::find(parked.begin(), parked.end(), link) == parked.end())
        parked.push_back(link);
}

void PortClaims::handOver(int port, const void *link)
{
    if (!valid(port))
        return;
    releaseAll(link);
    claims[port] = {link, true};
}

bool PortClaims::heldByOther(int port, const void *link) const
{
    return valid(port) && claims[port].link != nullptr && claims[port].link != link;
}
