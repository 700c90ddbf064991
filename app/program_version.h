#pragma once

// Shown by the splash window and the About box, and sent in the web client's identification.
inline constexpr char ProgramVersion[] = "0.0.46";
