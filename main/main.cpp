// The program's entry point.
#include "main/start.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return zrw::RunProgram(); }
