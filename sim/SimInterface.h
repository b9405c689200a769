// The simulator seen from a program: nvapi_QueryInterface-style lookup of entry points bound
// to one current Simulator (and, in the dll, the host that steps it on real time and keeps
// its files). Calls are serialised by one lock.
#pragma once

#include <cstdint>

#include "Simulator.h"

namespace velmora::sim {

class SimHost;

// Makes sim (and optionally host) the target of every entry point; null unbinds. While
// nothing is bound, every entry answers kNvStatusLibraryNotFound.
void Bind(Simulator* sim, SimHost* host = nullptr);
Simulator* Bound();

// The entry point for an interface id, or null for an id the driver does not know.
void* QueryInterface(uint32_t interfaceId);

// Binds for one scope (a test), restoring the previous binding afterwards.
class ScopedBinding {
  public:
    explicit ScopedBinding(Simulator& sim, SimHost* host = nullptr);
    ~ScopedBinding();
    ScopedBinding(const ScopedBinding&) = delete;
    ScopedBinding& operator=(const ScopedBinding&) = delete;

  private:
    Simulator* previousSim_;
    SimHost* previousHost_;
};

}  // namespace velmora::sim
