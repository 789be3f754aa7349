// The one mutex of the model: the clock, the bus and every unit share it,
// because a library call on a worker thread touches all three while the test
// thread scripts the unit. Recursive, since scripted actions and command
// handlers call back into the unit.
#pragma once

#include <mutex>

namespace zyra_sim {

std::recursive_mutex &modelMutex();

using ModelLock = std::unique_lock<std::recursive_mutex>;

inline ModelLock lockModel()
{
    return ModelLock(modelMutex());
}

}  // namespace zyra_sim

namespace zyra_sim {

// One field of a model object, read or set under the model mutex.
template <typename Object, typename Field>
Field lockedRead(const Object &object, Field Object::*field)
{
    ModelLock lock = lockModel();
    return object.*field;
}

template <typename Object, typename Field, typename Value>
void lockedWrite(Object &object, Field Object::*field, Value &&value)
{
    ModelLock lock = lockModel();
    object.*field = std::forward<Value>(value);
}

}  // namespace zyra_sim
