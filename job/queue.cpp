// The queue per volume: one named mutex per volume and user, taken by a
// thread of the job's own, and beside it the name of the job that holds it.
#include "job/queue.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/optional_api.h"
#include "base/paths.h"
#include "engine/joblog.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <cwctype>
#include <set>

namespace zrw {

namespace {

constexpr size_t kLabelChars = 1024;
constexpr DWORD kConsolePollMs = 250;
enum : int { kStartNow = 100 };

// The holder's label, in memory that every job of the volume maps. Written
// only by the holder; odd sequence numbers mark a write in progress.
struct Board {
    volatile LONG sequence;
    wchar_t label[kLabelChars];
};

// Without the window library, which a silent job never loads.
std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring HashText(const std::wstring& text) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : text) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
    wchar_t hex[17];
    swprintf(hex, 17, L"%016llX", static_cast<unsigned long long>(hash));
    return hex;
}

// Object names are short and free of separators whatever the volume's key.
std::wstring TurnName(const std::wstring& volume) {
    return L"Local\\Zerrow.Queue." + HashText(Upper(LogFolder())) + L"." + HashText(volume);
}

UniqueFile OpenEntry(const std::wstring& path) {
    return UniqueFile(CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

void WriteBoard(Board& board, const std::wstring& label) {
    InterlockedIncrement(&board.sequence);
    size_t n = std::min(label.size(), kLabelChars - 1);
    wmemcpy(board.label, label.data(), n);
    board.label[n] = L'\0';
    InterlockedIncrement(&board.sequence);
}

std::wstring ReadBoard(const Board& board) {
    wchar_t copy[kLabelChars];
    for (int tries = 0; tries < 16; ++tries) {
        LONG before = board.sequence;
        MemoryBarrier();
        if (before & 1) continue;
        wmemcpy(copy, board.label, kLabelChars);
        MemoryBarrier();
        if (board.sequence != before) continue;
        copy[kLabelChars - 1] = L'\0';
        return copy;
    }
    return {};
}

// The wait of a command-line job in a task dialog; its timer looks whether
// the turn has come.
struct DialogWait {
    const QueuePlace* place;
    std::wstring shown;
};

HRESULT CALLBACK OnWaitingDialog(HWND dialog, UINT note, WPARAM, LPARAM, LONG_PTR data) {
    if (note != TDN_TIMER) return S_OK;
    auto& wait = *reinterpret_cast<DialogWait*>(data);
    if (wait.place->Ready()) {
        SendMessageW(dialog, TDM_CLICK_BUTTON, kStartNow, 0);
        return S_OK;
    }
    std::wstring text = WaitingText(wait.place->Holder(), UiLang);
    if (text == wait.shown) return S_OK;
    wait.shown = std::move(text);
    SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_MAIN_INSTRUCTION,
                 reinterpret_cast<LPARAM>(wait.shown.c_str()));
    return S_OK;
}

bool WaitInDialog(const QueuePlace& place) {
    TaskDialogIndirectFn taskDialog = OptionalTaskDialogIndirect();
    if (!taskDialog) return true;
    const std::wstring first = WaitingText(place.Holder(), UiLang);
    const std::wstring startNow = Tr(L"立即开始");
    const std::wstring content = Tr(L"那个任务用着同一个磁盘；它结束后，这个任务自动开始。");
    DialogWait wait{&place, first};
    const TASKDIALOG_BUTTON buttons[] = {{kStartNow, startNow.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.dwFlags = TDF_CALLBACK_TIMER | TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = g_productName.c_str();
    config.pszMainInstruction = first.c_str();
    config.pszContent = content.c_str();
    config.cButtons = ARRAYSIZE(buttons);
    config.pButtons = buttons;
    config.pfCallback = OnWaitingDialog;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&wait);
    int choice = 0;
    if (FAILED(taskDialog(&config, &choice, nullptr, nullptr))) return true;
    return choice == kStartNow;
}

// A silent job cannot be asked: it says once per holder that it waits.
void WaitOnConsole(const QueuePlace& place) {
    std::wstring shown;
    do {
        std::wstring text = WaitingText(place.Holder(), UiLang);
        if (text != shown) ConsoleLine(L"%s", (shown = std::move(text)).c_str());
    } while (!place.WaitReady(kConsolePollMs));
}

}  // namespace

std::wstring VolumeKey(const std::wstring& path) {
    std::wstring at = path;
    UniqueFile entry = OpenEntry(at);
    for (std::wstring up = PathParent(at); !entry && up != at; up = PathParent(at)) {
        at = up;
        entry = OpenEntry(at);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (entry && GetFileInformationByHandle(entry.get(), &info)) {
        wchar_t key[24];
        swprintf(key, 24, L"serial:%08X", static_cast<unsigned>(info.dwVolumeSerialNumber));
        return key;
    }
    return L"root:" + Upper(path.substr(0, RootLength(path)));
}

std::vector<std::wstring> JobVolumes(const CopyJob& job) {
    // The sources of a selection mostly share their folder: each folder is asked once.
    std::set<std::wstring, NameLess> folders{job.destination};
    for (const SourceItem& source : job.sources) folders.insert(PathParent(source.path));
    std::set<std::wstring> keys;
    for (const std::wstring& folder : folders) keys.insert(VolumeKey(folder));
    return {keys.begin(), keys.end()};
}

std::wstring JobLabel(const CopyJob& job) {
    std::wstring name = PathName(job.logPath);
    if (name.size() > 4 && CompareNames(name.substr(name.size() - 4), L".log") == 0)
        name.resize(name.size() - 4);
    std::wstring route = job.sources.empty() ? std::wstring() : job.sources.front().path;
    if (job.sources.size() > 1) route += L" +" + std::to_wstring(job.sources.size() - 1);
    return name + L" (" + route + L" → " + job.destination + L")";
}

std::wstring WaitingText(const std::wstring& holder, uint32_t lang) {
    return Tr(L"等待任务 ", lang) + (holder.empty() ? L"…" : holder);
}

struct QueuePlace::State {
    struct Turn {
        UniqueHandle mutex, mapping;
        UniqueView view;
        Board& board() const { return *static_cast<Board*>(view.get()); }
    };
    std::vector<Turn> turns;  // in key order
    std::wstring label;
    UniqueHandle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle leave{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle thread;
    std::atomic<size_t> waitingFor{0};

    // The mutexes belong to this thread: it takes them, holds them and lets
    // them go.
    static DWORD WINAPI HoldTurns(void* param) {
        State& s = *static_cast<State*>(param);
        size_t held = 0;
        DWORD woken = WAIT_OBJECT_0;
        for (; held < s.turns.size(); s.waitingFor = ++held) {
            const HANDLE either[] = {s.turns[held].mutex.get(), s.leave.get()};
            woken = WaitForMultipleObjects(2, either, FALSE, INFINITE);
            // Abandoned: its holder ended without letting go, and the volume is free.
            if (woken != WAIT_OBJECT_0 && woken != WAIT_ABANDONED_0) break;
            WriteBoard(s.turns[held].board(), s.label);
        }
        // Every volume held, or a wait that failed: the job goes on.
        if (woken != WAIT_OBJECT_0 + 1) {
            SetEvent(s.ready.get());
            WaitForSingleObject(s.leave.get(), INFINITE);
        }
        while (held > 0) {
            const Turn& turn = s.turns[--held];
            WriteBoard(turn.board(), L"");
            ReleaseMutex(turn.mutex.get());
        }
        return 0;
    }
};

QueuePlace::QueuePlace() = default;
QueuePlace::~QueuePlace() { Leave(); }

void QueuePlace::Join(const std::vector<std::wstring>& volumes, const std::wstring& label) {
    Leave();
    auto state = std::make_unique<State>();
    if (volumes.empty() || !state->ready || !state->leave) return;
    state->label = label;
    for (const std::wstring& volume : volumes) {
        const std::wstring name = TurnName(volume);
        State::Turn turn;
        turn.mutex.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
        turn.mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              sizeof(Board), (name + L".holder").c_str()));
        if (turn.mapping)
            turn.view.reset(MapViewOfFile(turn.mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(Board)));
        if (!turn.mutex || !turn.view) return;
        state->turns.push_back(std::move(turn));
    }
    state->thread.reset(CreateThread(nullptr, 0, State::HoldTurns, state.get(), 0, nullptr));
    if (state->thread) state_ = std::move(state);
}

bool QueuePlace::WaitReady(DWORD timeoutMs) const {
    return !state_ || WaitForSingleObject(state_->ready.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::wstring QueuePlace::Holder() const {
    if (!state_) return {};
    size_t waited = state_->waitingFor;
    return waited < state_->turns.size() ? ReadBoard(state_->turns[waited].board())
                                         : std::wstring();
}

void QueuePlace::Leave() {
    if (!state_) return;
    SetEvent(state_->leave.get());
    WaitForSingleObject(state_->thread.get(), INFINITE);
    state_.reset();
}

bool AwaitTurn(CopyJob& job, QueuePlace& place) {
    place.Join(JobVolumes(job), JobLabel(job));
    if (g_noQueue || place.WaitReady(kQuickTurnMs)) return true;
    bool go = true;
    if (job.silent) WaitOnConsole(place);
    else go = WaitInDialog(place);
    // The time in the queue is not the job's.
    job.speed.startTick = GetTickCount64();
    return go;
}

}  // namespace zrw
