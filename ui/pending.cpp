#include "app/app.h"
#include "ui/ui.h"

namespace zrw {

void RefreshTitleLine() {}

}  // namespace zrw
