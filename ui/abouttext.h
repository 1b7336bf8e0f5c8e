#pragma once

namespace velkan::ui {

// The about box's words, shown by the native control's dialog and sent to pages by the bridge.
inline constexpr const char* kAboutTitle = "About VelkanFileSearch Control";
inline constexpr const char* kAboutVersion = "VelkanFileSearch Control, Version 1.0";
inline constexpr const char* kAboutOk = "OK";

} // namespace velkan::ui
