#pragma once

#include <QtGlobal>

// Bounds on everything a peer can make this layer hold. Requests and replies
// come from the network and are untrusted.
namespace qhttp {
namespace limits {

// Bytes of one message head (start line and header lines); the parser
// library refuses the same amount on its own.
constexpr qint64 kMaxHeaderBytes = 80 * 1024;
// Body of one request that a server connection accepts.
constexpr qint64 kMaxServerBodyBytes = 1024 * 1024;
// Body that a client response collects when the caller gives no limit.
constexpr qint64 kDefaultClientCollectBytes = 16 * 1024 * 1024;
// A server connection without traffic for this long is closed.
constexpr int kDefaultServerIdleMs = 30000;
// A request head not complete this long after its first byte (the first one:
// after the connection was accepted) is answered 408 and its connection
// closed, so silent or trickling peers cannot hold connections.
constexpr int kDefaultServerHeadMs = 10000;
// The same for a whole request, head and body, counted from the same point:
// a 64 KiB body still arrives at about 2.2 KiB/s.
constexpr int kDefaultServerRequestMs = 30000;
// Connections that one server keeps open at a time.
constexpr int kMaxServerConnections = 16;
// Of those, connections that one TCP peer address holds at a time, every
// loopback address counting as one (any process here may use any of them):
// a peer that keeps reopening silent connections cannot lock out the
// others. A camera asks one thing at a time and the local server closes
// after each answer, so it needs few at once.
constexpr int kMaxServerConnectionsPerPeer = 4;
// Bytes a socket buffers ahead of the parser; the rest waits in the kernel.
constexpr qint64 kSocketReadBufferBytes = 256 * 1024;
// Answers a server connection queues for a peer that does not read them;
// beyond this it reads no further requests until the queue has drained.
constexpr qint64 kMaxPendingWriteBytes = 1024 * 1024;
// Bytes handed to the parser per call.
constexpr int kReadChunkBytes = 4096;

} // namespace limits
} // namespace qhttp
