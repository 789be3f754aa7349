// Waiting for the user's Enter on standard input without blocking the
// event loop (a closed input counts as Enter).
#pragma once

#include <functional>

class QObject;

// Calls then once a whole line (or the end of the input) has been read;
// the wait belongs to owner and ends with it.
void afterEnter(QObject *owner, std::function<void()> then);
