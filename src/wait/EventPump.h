// Letting the program handle the events that wait in its queue, once.
#pragma once

namespace services {

// Handles every event that is waiting now (timers due, socket notifications, user
// input) and returns; does nothing when the program has no event loop object.
void processWaitingEvents();

} // namespace services
