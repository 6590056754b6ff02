#include "app/skin_choice.h"

#include "download/atomic_file.h"
#include "toolkit/handles.h"
#include "toolkit/win_text.h"

#include <algorithm>

namespace {

TSkinChoice::TMessageSink& MessageSink() {
    static TSkinChoice::TMessageSink sink;
    return sink;
}

// A skin file far beyond any real one (they are tens of kilobytes) is not read at all.
constexpr std::int64_t kLargestSkinFile = 256ll << 20;

struct FileRead {
    std::vector<std::uint8_t> bytes;
    std::string error; // the system's reason, system code page; empty when read
};

FileRead ReadSkinFile(const std::string& path) {
    FileRead r;
    UniqueKernelHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        r.error = SystemErrorText(GetLastError());
        return r;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size)) {
        r.error = SystemErrorText(GetLastError());
        return r;
    }
    if (size.QuadPart > kLargestSkinFile) {
        r.error = Utf8ToAnsi("文件太大，不是皮肤文件");
        return r;
    }
    r.bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!r.bytes.empty() &&
        (!ReadFile(h.get(), r.bytes.data(), static_cast<DWORD>(r.bytes.size()), &read, nullptr) ||
         read != r.bytes.size())) {
        r.error = SystemErrorText(GetLastError());
        r.bytes.clear();
    }
    return r;
}

std::wstring MenuText(const std::string& ansiTitle) {
    std::wstring text;
    for (wchar_t c : Widen(ansiTitle)) {
        if (c == L'&') text += L'&'; // a file name's "&" is shown, not an accelerator
        text += c;
    }
    return text;
}

std::string FileTitle(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

std::vector<std::string> SkinFilesIn(const std::string& folder) {
    std::vector<std::pair<std::wstring, std::string>> found;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((Widen(folder) + L"*.skin").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = fd.cFileName;
        // "*.skin" also matches longer extensions through short names; only ".skin" counts.
        if (name.size() < 5 || _wcsicmp(name.c_str() + name.size() - 5, L".skin") != 0) continue;
        std::wstring key = name;
        CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
        found.emplace_back(key, folder + Narrow(name));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& f : found) paths.push_back(std::move(f.second));
    return paths;
}

std::string ProgramSkinsFolder() {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return Narrow(path) + "skins\\";
}

void TSkinChoice::SetMessageSink(TMessageSink sink) {
    MessageSink() = std::move(sink);
}

TSkinChoice::TSkinChoice(TForm& form, TSkinData& data, std::string skinsFolder)
    : form_(form), data_(data), folder_(std::move(skinsFolder)), builtIn_(data.Store),
      dialog_(std::make_unique<TOpenDialog>(nullptr)) {
    if (!data_.Active() || data_.SkinNotLoaded) current_ = skNone;
    dialog_->SetFilter(Utf8ToAnsi("皮肤文件 (*.skin)|*.skin|所有文件 (*.*)|*.*"));
    dialog_->SetInitialDir(folder_);
    files_ = SkinFilesIn(folder_);
    if (files_.size() > static_cast<size_t>(kMaxFiles)) files_.resize(kMaxFiles);
    chooseMessage_ = RegisterWindowMessageW(L"Corvane.SkinChoice");
    BuildMenu();
    // Commands are carried out from a message of their own, after the menu that chose them
    // (skinned or not) has closed and its handlers have returned.
    hook_.Install(form_, [this](TMessage& m) {
        // The skinned system menu sends its items as system commands; the system's own sends
        // the items of a submenu as menu commands (the submenu is no system menu itself).
        UINT id = 0;
        if (m.Msg == WM_SYSCOMMAND)
            id = static_cast<UINT>(m.WParam & 0xFFF0);
        else if (m.Msg == WM_COMMAND && HIWORD(m.WParam) == 0 && m.LParam == 0)
            id = LOWORD(m.WParam);
        const bool ours = id == kBuiltInCommand || id == kOpenCommand || id == kNoneCommand ||
                          (id >= kFirstFileCommand && id < kFirstFileCommand + 16 * files_.size());
        if (ours) {
            PostMessageW(form_.Handle(), chooseMessage_, id, 0);
            m.Result = 0;
            return;
        }
        if (chooseMessage_ && m.Msg == chooseMessage_) {
            Command(static_cast<UINT>(m.WParam));
            m.Result = 0;
            return;
        }
        hook_.CallPrevious(m);
    });
}

TSkinChoice::~TSkinChoice() = default;

void TSkinChoice::BuildMenu() {
    HMENU system = GetSystemMenu(form_.Handle(), FALSE);
    if (!system) return;
    submenu_ = CreatePopupMenu();
    AppendMenuW(submenu_, MF_STRING, kBuiltInCommand, Utf8ToWide("内置皮肤(&B)").c_str());
    for (size_t i = 0; i < files_.size(); ++i)
        AppendMenuW(submenu_, MF_STRING, kFirstFileCommand + 16 * i,
                    MenuText(FileTitle(files_[i])).c_str());
    AppendMenuW(submenu_, MF_STRING, kOpenCommand, Utf8ToWide("打开皮肤文件(&O)...").c_str());
    AppendMenuW(submenu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(submenu_, MF_STRING, kNoneCommand, Utf8ToWide("无皮肤(&N)").c_str());
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    // The system menu owns the submenu from here and destroys it with the window.
    AppendMenuW(system, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu_),
                Utf8ToWide("皮肤(&K)").c_str());
    UpdateChecks();
}

void TSkinChoice::UpdateChecks() {
    if (!submenu_) return;
    UINT chosen = kNoneCommand;
    if (current_ == skBuiltIn) chosen = kBuiltInCommand;
    if (current_ == skFile) {
        chosen = kOpenCommand;
        for (size_t i = 0; i < files_.size(); ++i)
            if (lstrcmpiA(files_[i].c_str(), currentFile_.c_str()) == 0)
                chosen = static_cast<UINT>(kFirstFileCommand + 16 * i);
    }
    const int count = GetMenuItemCount(submenu_);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(submenu_, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        CheckMenuItem(submenu_, id, MF_BYCOMMAND | (id == chosen ? MF_CHECKED : MF_UNCHECKED));
    }
}

void TSkinChoice::Switched(TKind kind, const std::string& file) {
    current_ = kind;
    currentFile_ = file;
    UpdateChecks();
}

void TSkinChoice::PutStoreBack(const std::vector<std::uint8_t>& store) {
    data_.Store = store;
    data_.LoadSkin();
    data_.Refresh();
}

bool TSkinChoice::ChooseBuiltIn() {
    PutStoreBack(builtIn_);
    if (data_.SkinNotLoaded) return false;
    if (!data_.Active()) data_.SetActive(true);
    Switched(skBuiltIn, "");
    return true;
}

bool TSkinChoice::ChooseFile(const std::string& path) {
    FileRead file = ReadSkinFile(path);
    if (!file.error.empty()) {
        ShowText(Utf8ToAnsi("无法使用皮肤文件：\r\n") + path + "\r\n\r\n" +
                 Utf8ToAnsi("无法读取文件：") + file.error);
        return false;
    }
    const app::SkinFileCheck check = app::CheckSkinStore(file.bytes);
    if (!check.Ok()) {
        Refuse(path, check);
        return false;
    }
    const std::vector<std::uint8_t> previous = data_.Store;
    // The bytes just checked are the ones loaded: the file is read once.
    data_.SetSkinFile(path, std::move(file.bytes));
    if (data_.SkinNotLoaded) {
        // Passed the check yet refused by the loader: the skin that was there goes back.
        Refuse(path, {app::SkinFileFault::Damaged, "皮肤文件无法载入。"});
        PutStoreBack(previous);
        return false;
    }
    if (!data_.Active()) data_.SetActive(true);
    Switched(skFile, path);
    return true;
}

bool TSkinChoice::ChooseNone() {
    if (data_.Active()) data_.SetActive(false);
    Switched(skNone, "");
    return true;
}

bool TSkinChoice::ChooseFromDialog() {
    if (!dialog_->Execute() || dialog_->FileName().empty()) return false;
    return ChooseFile(dialog_->FileName());
}

bool TSkinChoice::Command(UINT id) {
    if (id == kBuiltInCommand) return ChooseBuiltIn();
    if (id == kOpenCommand) return ChooseFromDialog();
    if (id == kNoneCommand) return ChooseNone();
    if (id >= kFirstFileCommand && (id - kFirstFileCommand) % 16 == 0) {
        const size_t i = (id - kFirstFileCommand) / 16;
        if (i < files_.size()) return ChooseFile(files_[i]);
    }
    return false;
}

void TSkinChoice::ApplyOptions(const app::SkinOptions& options) {
    if (!options.Error.empty()) ShowText(Utf8ToAnsi(options.Error));
    if (options.Skin == app::SkinOptions::File) ChooseFile(options.Path);
    if (options.Skin == app::SkinOptions::None) ChooseNone();
}

void TSkinChoice::Refuse(const std::string& path, const app::SkinFileCheck& check) {
    ShowText(Utf8ToAnsi("无法使用皮肤文件：\r\n") + path + "\r\n\r\n" + Utf8ToAnsi(check.Detail));
}

void TSkinChoice::ShowText(const std::string& ansiText) {
    HWND owner =
        form_.HandleAllocated() && IsWindowVisible(form_.Handle()) ? form_.Handle() : nullptr;
    if (MessageSink()) {
        MessageSink()(owner, ansiText);
        return;
    }
    MessageBoxW(owner, Widen(ansiText).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
}
