// The commands' GUIDs, titles and tool tips.
#include "varkle/varkle.h"
#include "zerrow_ids.h"

namespace varkle {

namespace {

struct KindInfo {
    const wchar_t* guid;
    const wchar_t* title;
    const wchar_t* toolTip;
};
// Varkle has no language setting: its texts are Chinese only.
constexpr KindInfo kKinds[] = {
    {ZERROW_ROOT_CLSID_TEXT, L"泽若", L"泽若"},
    {ZERROW_COPY_GUID_TEXT, L"复制到…", L"robocopy 引擎复制到指定目录"},
    {ZERROW_MOVE_GUID_TEXT, L"剪切到…", L"robocopy 引擎剪切到指定目录"},
};

bool Known(LONG kind) { return kind >= kRoot && kind <= kMove; }

}  // namespace

bool KindGuid(LONG kind, GUID* guid) {
    return Known(kind) && SUCCEEDED(CLSIDFromString(const_cast<wchar_t*>(kKinds[kind].guid), guid));
}

LONG KindOf(REFCLSID clsid) {
    for (LONG kind = kRoot; kind <= kMove; ++kind) {
        GUID guid;
        if (KindGuid(kind, &guid) && IsEqualGUID(guid, clsid)) return kind;
    }
    return -1;
}

const wchar_t* KindTitle(LONG kind) { return Known(kind) ? kKinds[kind].title : L""; }
const wchar_t* KindToolTip(LONG kind) { return Known(kind) ? kKinds[kind].toolTip : L""; }

}  // namespace varkle
