// The package's application entry. A package that registers an Explorer
// command must declare an application, and that application's executable must
// lie in the package; it is never shown (no list entry) and does nothing.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
