// port.h -- what a windowing port supplies to platform/shared beyond the roles it implements
// itself, and what platform/shared gives it for its refusals.
#pragma once

// Waits for the system's next event and queues the program's messages for it (none for an
// event the program has no use for). False when the system has no more events to give: the
// program then takes that as the quit message.
bool portWaitForEvent();
// Queues the program's messages for the system's next waiting event, without waiting. False
// when no event waits.
bool portTakeEvent();

// Ends the process with this exit code; its output has been flushed.
[[noreturn]] void portEndProcess(int code);

// Keeps why a role was refused, for platformFailureReason ("" for none). Returns 0, the
// refusal's usual result.
int refuse(const char* why);
