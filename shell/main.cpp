#include "shell/platform/platform.h"
#include "shell/product.h"
#include "shell/startup.h"

int main(int argc, char** argv) { return platform::RunProgram(argc, argv, {kProductTitle}, Main); }
