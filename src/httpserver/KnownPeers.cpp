#include "httpserver/KnownPeers.h"

#include "comm/GlobalParams.h"

#include <algorithm>

namespace vesk {
namespace pc {

namespace {

QHostAddress plainIpv4(const QHostAddress& address)
{
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(ipv4) : address;
}

bool givenByPool(const QHostAddress& peer)
{
    const QList<GlobalParams::IpAddrInfo> pool = GlobalParams::get().ipPool();
    return std::any_of(pool.begin(), pool.end(), [&peer](const GlobalParams::IpAddrInfo& entry) {
        return !entry.owner.isNull() && QHostAddress(entry.ip) == peer;
    });
}

} // namespace

bool KnownPeers::isKnown(const QHostAddress& peer)
{
    const QHostAddress address = plainIpv4(peer);
    return address.isLoopback() || givenByPool(address);
}

} // namespace pc
} // namespace vesk
