// Stand-in for cmd.exe: appends a record of its run (with its current directory)
// to the file named by ZRW_FAKE_CMD_LOG (see tools/stand_in.h) and runs nothing.
#include "tools/stand_in.h"

int wmain() {
    zrw::stand_in::AppendRun(L"ZRW_FAKE_CMD_LOG");
    return 0;
}
