#include "shell/platform/platform.h"
#include "shell/product.h"
#include "shell/startup.h"

int main() { return platform::RunProgram({kProductTitle}, Main); }
