// The worker's only source of waiting. Its pauses go through the same
// optional clock hooks as the library's (the virtual unit defines them), so
// tests run the protocol's seconds in virtual time.
#pragma once

namespace workerclock {

void sleepSeconds(int seconds);

// How long a dfu-programmer run may take before it is given up, in real
// milliseconds: a child process cannot run in virtual time. 30000 unless a
// test lowers it so that a hung stand-in is given up at once.
int processWaitMs();
void setProcessWaitMs(int ms);

}  // namespace workerclock
