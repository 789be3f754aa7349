// Holds a worker inside the virtual unit's handling of a command, for the
// window tests that need a task or run that does not end by itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "zyra_sim/virtual_unit.h"

namespace guitest {

// Holds the worker inside the unit's handling of a command (from its n-th
// frame of that code on, counting from 0) until released, as a unit stuck
// mid-task would: in virtual time the library's own deadlines would pass at
// once. While the worker is held it owns the virtual unit: a test touches
// the unit only after release(). Released on destruction; the held worker
// may leave the gate after that.
class CommandGate
{
public:
    CommandGate();
    ~CommandGate();
    void install(zyra_sim::VirtualUnit &unit, uint8_t command, int occurrence = 0);
    bool reached() const;
    void release();

private:
    struct State {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        std::atomic<bool> hit{false};
        std::atomic<int> seen{0};
    };
    std::shared_ptr<State> state;
};

}  // namespace guitest
