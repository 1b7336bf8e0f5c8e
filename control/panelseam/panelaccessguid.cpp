#include "control/panelseam/velkanpanelaccess.h"

namespace velkan::control {

// Private to our own hosts: not in the host library, which exports only the public identifiers.
// The panel tells whether its file-type pictures are final.
const Guid IID_IVelkanPanelAccess = {0x1A1682F1, 0xF665, 0x4D2B, {0x8A, 0x60, 0x57, 0xAD, 0xAA, 0x36, 0x41, 0x0A}};

const std::array<Guid, 2> kOlderPanelAccessIids = {
    // The server-information query's end says why no answer came; the outcome views are
    // expanded from the figure lists.
    Guid{0x7C1E52A4, 0x3B6D, 0x4F08, {0x92, 0xA1, 0x5D, 0xE0, 0x6B, 0x34, 0xC8, 0x17}},
    // Row bytes and folder, progress, and the outcome methods, under one identifier.
    Guid{0x44973BBB, 0xCA02, 0x48D9, {0x9E, 0x5E, 0xEA, 0x58, 0xD1, 0xCB, 0x6D, 0xB3}},
};

PanelAccessFound FindPanelAccess(com::IUnknown& object, IVelkanPanelAccess** access)
{
    *access = nullptr;
    void* found = nullptr;
    if (com::Succeeded(object.QueryInterface(IID_IVelkanPanelAccess, &found)) && found != nullptr) {
        *access = static_cast<IVelkanPanelAccess*>(found);
        return PanelAccessFound::Current;
    }
    for (const Guid& older : kOlderPanelAccessIids) {
        void* old = nullptr;
        if (com::Succeeded(object.QueryInterface(older, &old)) && old != nullptr) {
            static_cast<com::IUnknown*>(old)->Release();
            return PanelAccessFound::Older;
        }
    }
    return PanelAccessFound::None;
}

} // namespace velkan::control
