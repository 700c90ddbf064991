#pragma once

// Registers the picture codecs of this library with the picture registry. Called once at start-up
// (static registration would be dropped by the linker from a static library).
void RegisterPictureFormats();
