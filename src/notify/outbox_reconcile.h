#pragma once

namespace nuvaro {

class Outbox;
class RunState;

// A kill between writing a change's deliveries to the outbox and saving the window's last
// notified text leaves the outbox newer than the run state. At the start, the text of the newest
// change in the outbox that was notified after what a slot holds becomes that slot's last
// notified text: the outbox alone sends the notice, and the next tick sees a repeat.
// Returns how many slots were set.
int ReconcileNotified(const Outbox& outbox, RunState& state);

}  // namespace nuvaro
