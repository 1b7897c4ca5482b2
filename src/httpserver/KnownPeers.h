#pragma once

#include <QHostAddress>

namespace vesk {
namespace pc {

// Whom the local firmware server answers: this machine itself and the
// cameras the program knows, by address. The server listens on every IPv4
// address, so any host of the network reaches it; the others are not
// answered at all.
class KnownPeers
{
public:
    KnownPeers() = delete;

    // A loopback address, or an address the address pool has given to a
    // camera (held now, or still reserved for it). A camera in network mode
    // takes its address from the pool, so the pool knows every one of them.
    static bool isKnown(const QHostAddress& peer);
};

} // namespace pc
} // namespace vesk
