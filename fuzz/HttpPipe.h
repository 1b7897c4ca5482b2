#pragma once

// One server connection of the HTTP layer fed through a socket pair: the
// fuzzer's bytes go in as a peer would send them, the peer's side then
// closes, and events run until the connection has gone or a bound passes.

#include "http/HttpTypes.h"

#include <QByteArray>

#include <functional>

namespace vesk {
namespace pc {
namespace fuzz {

// The answer the peer read back; empty when the connection could not be made.
// While busy() holds (work on another thread that answers later), the peer
// keeps waiting for the answer however long nothing moves.
QByteArray serveOnce(const QByteArray& request, const qhttp::server::TServerHandler& handler, int maxMs,
                     const std::function<bool()>& busy = {});

} // namespace fuzz
} // namespace pc
} // namespace vesk
