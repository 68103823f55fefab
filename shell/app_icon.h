// The program's own 32 x 32, 256-colour icon, drawn from the art in
// app_icon.cpp: the title bar's icon on every backend, and the program file's
// on Windows.
#pragma once

#include "shell/platform/platform.h"

const platform::IconImage& AppIcon();
