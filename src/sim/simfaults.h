#pragma once

// Ways the simulated rack misbehaves, for the whole rack or for one card.
// All off by default: the rack answers at once, exactly and completely.
struct SimFaults
{
    bool silent = false;  // no reply at all
    int silentAfter = -1; // no reply once this many commands were answered; -1 off
    int chunkSize = 0;    // reply split into pieces of this many bytes; 0 whole
    int chunkPauseMs = 0; // gap between two pieces
    bool crlf = false;    // LF after the CR
    int lateMs = 0;       // extra wait before the reply (3100 misses the 3 s limit)
    bool garbage = false; // line noise instead of (or in front of) the reply
    int replyDelayMs = 0; // think time of the card before it answers
    bool pacing = false;  // 1200 baud 8N1: every character, both ways, takes 8.33 ms
    bool refuse = false;  // "CNG" instead of the reply
    int onlyItem = -1;    // the faults hit only the select of this item; -1 every command

    bool any() const
    {
        return silent || silentAfter >= 0 || chunkSize > 0 || crlf || lateMs > 0 || garbage ||
               replyDelayMs > 0 || pacing || refuse;
    }
};

// 10 bits per character at 1200 baud.
inline constexpr double kCharMs = 10.0 * 1000.0 / 1200.0;
