#include "robo/robo.h"

namespace zrw {

void JobTick(HWND) {}
void TogglePause() {}

}  // namespace zrw
