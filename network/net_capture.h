// The message capture of a network game: with KELVARRO_NET_LOG naming a
// file, every game message this machine sends or receives becomes one line
// of it, with the fields that tell whether the machines agreed (positions,
// condition values, results), and a few lines of the race's own state
// (rider positions at each state tick, the results table, the player count
// and the notices). Several machines on one computer each log to their own
// file; a checker reads them side by side. Without the variable nothing is
// written and nothing is paid but one test per call.
#pragma once

#include <cstdint>
#include <span>

// Whether a capture file is open (opened on the first call).
bool NetCaptureOn();

// One message as it leaves (`sent`) or arrives. `guaranteed` for sends only.
void NetCaptureMessage(bool sent, std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> bytes,
                       bool guaranteed);
// A DirectPlay system message as it arrives (its type word and size).
void NetCaptureSystem(std::uint32_t type, std::size_t size);
// A line of the machine's own state: "<ms> <WHAT> <details>".
void NetCaptureNote(const char* what, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The line's name of a message type ("RIDER_STATE"); "UNKNOWN" for others.
const char* NetMessageName(std::uint32_t type);
