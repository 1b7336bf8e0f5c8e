#pragma once

// What keeps the module in use: every object it made that is still alive (controls, pages,
// class factories, type information) and every server lock a host holds.

namespace velkan::control {

void LockModule(bool lock);
[[nodiscard]] bool ModuleInUse();
[[nodiscard]] long LiveObjects();

// A base that counts the object for its whole life.
class ModuleObject {
protected:
    ModuleObject();
    ~ModuleObject();
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;
};

} // namespace velkan::control
