#pragma once

#include <filesystem>
#include <string>

// Large pictures made from a fixed seed instead of being kept in the source tree: the same bytes on every
// run. Each is written the first time it is asked for into a temporary folder that goes when the process
// ends. The names:
//   rgb8_noise_2000x2000.png       8-bit RGB noise; the rows cycle through the five filters
//   rgba8_2000x2000.png            8-bit RGBA: gradients, noise and an alpha ramp; filters cycle
//   interlaced_rgb8_1000x1000.png  Adam7 RGB: rings, stripes with a little noise and a ramp; filters cycle
//   large_noise_2000x2000_256col.gif  one 2000 x 2000 frame of 256-colour noise
std::filesystem::path GeneratedPicture(const std::string& name);
