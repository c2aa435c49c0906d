#pragma once

// The library's lifetime: the shared registry for the whole process, the network loop while the
// server runs. Behind the C functions of sc501ger.h.

#include "terminal/NetworkLoop.h"
#include "terminal/Registry.h"

#include <memory>
#include <mutex>

namespace vorn::terminal {

class Library {
public:
    static Library& instance();

    // Stops the server if it runs and empties the table and the queue.
    void reset();
    // Starts the server with the settings file; true when it runs.
    bool start();
    Registry& registry() { return registry_; }

private:
    std::mutex lifecycle_;
    Registry registry_;
    std::unique_ptr<NetworkLoop> loop_; // destroyed before registry_
};

} // namespace vorn::terminal
