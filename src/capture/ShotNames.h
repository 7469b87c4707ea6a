#pragma once

#include <string>

// Names of the shot files: "SShot" + series + "_" + counter + ".jpg" in the
// Shots directory, the series being the function key's number.
namespace pixmoth {

std::string ShotFileName(int series, int counter);

// The first name of the series, counting from 0, that no file (or anything
// else) in `shotsDir` (with its trailing '/') takes yet: gaps left by deleted
// shots are filled first.
std::string FirstFreeShotPath(const std::string& shotsDir, int series);

} // namespace pixmoth
