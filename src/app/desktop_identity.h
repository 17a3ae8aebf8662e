#pragma once

#include <QIcon>

namespace quillane {

// The id the desktop knows the program by: the name of its desktop entry, its
// AppStream metadata and its icon in the icon theme.
constexpr const char* kApplicationId = "io.github.quillane.Quillane";

// The program's icon, for its windows: the same drawing as the installed theme
// icon, built in at each size from 16 to 256 pixels.
QIcon programIcon();

}  // namespace quillane
