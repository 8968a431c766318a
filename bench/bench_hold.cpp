// Keeps Wine's desktop open while bench/run.sh runs: Wine closes a desktop a
// second after its last user exits and starts it again for the next one,
// which would add a desktop start to that run's time and requests.
//   bench_hold       (runs until it is ended)
#include <windows.h>

int wmain() {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
