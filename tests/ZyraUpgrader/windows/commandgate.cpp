#include "commandgate.h"

namespace guitest {

CommandGate::CommandGate() : state(std::make_shared<State>())
{
}

CommandGate::~CommandGate()
{
    release();
}

void CommandGate::install(zyra_sim::VirtualUnit &unit, uint8_t command, int occurrence)
{
    unit.onCommand(command,
                   [state = state, occurrence](zyra_sim::VirtualUnit &self, const zyra_sim::ReceivedFrame &frame) {
                       if (state->seen++ >= occurrence) {
                           state->hit = true;
                           std::unique_lock<std::mutex> lock(state->mutex);
                           state->opened.wait(lock, [&state] { return state->open; });
                       }
                       self.handleNormally(frame);
                   });
}

bool CommandGate::reached() const
{
    return state->hit.load();
}

void CommandGate::release()
{
    std::lock_guard<std::mutex> lock(state->mutex);
    state->open = true;
    state->opened.notify_all();
}

}  // namespace guitest
