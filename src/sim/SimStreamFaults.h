#pragma once

namespace vesk {
namespace pc {

// Faults of a simulated camera's download stream. Packet numbers are the
// stream's sequence numbers (1 based); 0 turns a fault off. The one-time
// faults fire again only after the faults are set anew.
struct SimStreamFaults
{
    int heldChecks = 0;        // the first this many occupancy checks find the stream held (-1: always)
    int dropPacket = 0;        // this packet is left out the first time it is due
    int swapPacket = 0;        // this packet and the next go out in swapped order, once
    int corruptCrcPacket = 0;  // this packet carries a wrong CRC-32 the first time
    int gapAfterPacket = 0;    // after this packet the stream waits for a resend request, once
    int goneAfterPacket = 0;   // after this packet the camera is gone for good (pulled out)
    int padBytes = 0;          // every frame carries this many bytes beyond its packet
    int frameDelayMs = 0;      // wait before each frame
};

} // namespace pc
} // namespace vesk
