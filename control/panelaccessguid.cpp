#include "velkanpanelaccess.h"

namespace velkan::control {

// Private to our own hosts: not in the host library, which exports only the public identifiers.
const Guid IID_IVelkanPanelAccess = {0x44973BBB, 0xCA02, 0x48D9, {0x9E, 0x5E, 0xEA, 0x58, 0xD1, 0xCB, 0x6D, 0xB3}};

} // namespace velkan::control
