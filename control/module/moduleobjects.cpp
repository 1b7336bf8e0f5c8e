#include "control/module/moduleobjects.h"

#include <atomic>

namespace velkan::control {

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

} // namespace

void LockModule(bool lock)
{
    if (lock) {
        ++g_locks;
        return;
    }
    // An unbalanced unlock must not leave the count below zero for ever.
    long locks = g_locks.load();
    while (locks > 0 && !g_locks.compare_exchange_weak(locks, locks - 1)) {
    }
}

bool ModuleInUse()
{
    return g_objects.load() > 0 || g_locks.load() > 0;
}

long LiveObjects()
{
    return g_objects.load();
}

ModuleObject::ModuleObject()
{
    ++g_objects;
}

ModuleObject::~ModuleObject()
{
    --g_objects;
}

} // namespace velkan::control
