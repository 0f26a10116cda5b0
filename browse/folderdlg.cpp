#include "browse/folderdlg.h"

#include "browse/folderpath.h"
#include "settings/pathtext.h"
#include "base/files.h"
#include "base/handles.h"
#include "base/mainwindow.h"
#include "base/shellhandles.h"
#include "base/wide.h"

#include <vector>

namespace corv {

namespace {

constexpr int kStatusControlId = 14147; // the shell dialog's status line
constexpr std::size_t kPathBuffer = MAX_PATH;
// The longest path the extended-length form allows, in UTF-16 units.
constexpr std::size_t kLongPathBuffer = 32768;

struct RootIds {
    TRootID root;
    int nt;
    int other;
};

// The expanded desktop has no special-folder id of the system's; the dialog passes this one on as it is.
constexpr int kDesktopExpanded = 0xFEFE;

constexpr RootIds kRootIds[] = {
    {TRootID::idDesktop, CSIDL_DESKTOP, CSIDL_DESKTOP},
    {TRootID::idInternet, CSIDL_INTERNET, CSIDL_INTERNET},
    {TRootID::idPrograms, CSIDL_PROGRAMS, CSIDL_PROGRAMS},
    {TRootID::idControlPanel, CSIDL_CONTROLS, CSIDL_CONTROLS},
    {TRootID::idPrinters, CSIDL_PRINTERS, CSIDL_PRINTERS},
    {TRootID::idPersonal, CSIDL_PERSONAL, CSIDL_PERSONAL},
    {TRootID::idFavorites, CSIDL_FAVORITES, CSIDL_FAVORITES},
    {TRootID::idStartup, CSIDL_STARTUP, CSIDL_STARTUP},
    {TRootID::idRecent, CSIDL_RECENT, CSIDL_RECENT},
    {TRootID::idSendTo, CSIDL_SENDTO, CSIDL_SENDTO},
    {TRootID::idRecycleBin, CSIDL_BITBUCKET, CSIDL_BITBUCKET},
    {TRootID::idStartMenu, CSIDL_STARTMENU, CSIDL_STARTMENU},
    {TRootID::idDesktopDirectory, CSIDL_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
    {TRootID::idDrives, CSIDL_DRIVES, CSIDL_DRIVES},
    {TRootID::idNetwork, CSIDL_NETWORK, CSIDL_NETWORK},
    {TRootID::idNetHood, CSIDL_NETHOOD, CSIDL_NETHOOD},
    {TRootID::idFonts, CSIDL_FONTS, CSIDL_FONTS},
    {TRootID::idTemplates, CSIDL_TEMPLATES, CSIDL_TEMPLATES},
    {TRootID::idCommonStartMenu, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU},
    {TRootID::idCommonPrograms, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS},
    {TRootID::idCommonStartup, CSIDL_COMMON_STARTUP, CSIDL_STARTUP},
    {TRootID::idCommonDesktopDirectory, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
    {TRootID::idAppData, CSIDL_APPDATA, CSIDL_APPDATA},
    {TRootID::idPrintHood, CSIDL_PRINTHOOD, CSIDL_PRINTHOOD},
    {TRootID::idDesktopExpanded, kDesktopExpanded, kDesktopExpanded},
};

struct FlagBits {
    TBrowseFlag flag;
    UINT bif;
};

constexpr FlagBits kFlagBits[] = {
    {TBrowseFlag::bfDirectoriesOnly, BIF_RETURNONLYFSDIRS},
    {TBrowseFlag::bfDomainOnly, BIF_DONTGOBELOWDOMAIN},
    {TBrowseFlag::bfAncestors, BIF_RETURNFSANCESTORS},
    {TBrowseFlag::bfComputers, BIF_BROWSEFORCOMPUTER},
    {TBrowseFlag::bfPrinters, BIF_BROWSEFORPRINTER},
    {TBrowseFlag::bfIncludeFiles, BIF_BROWSEINCLUDEFILES},
};

bool IsWindowsNT() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

// The file-system path of an item, "" for items without one. A path longer than MAX_PATH comes whole
// where the system has the call that takes a larger buffer; without it such a path gives "" rather
// than a cut one, which would name another folder.
std::string PathOfIdList(LPCITEMIDLIST idList) {
    if (!idList) return {};
    using PathFromIdListEx = BOOL(WINAPI*)(LPCITEMIDLIST, PWSTR, DWORD, int);
    static const auto pathFromIdListEx = reinterpret_cast<PathFromIdListEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHGetPathFromIDListEx")));
    if (pathFromIdListEx) {
        std::wstring buffer(kLongPathBuffer, L'\0');
        if (!pathFromIdListEx(idList, buffer.data(), static_cast<DWORD>(buffer.size()), 0)) return {};
        return Utf8(buffer.c_str());
    }
    wchar_t buffer[kPathBuffer + 1] = {};
    if (!SHGetPathFromIDListW(idList, buffer)) return {};
    return Utf8(buffer);
}

// COM stays initialised on this thread while the dialog runs.
class ComScope {
  public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool ok_;
};

// Parses a path into an id list with the desktop folder; an empty owner when it cannot.
ShellIdListHandle ParseDisplayName(IShellFolder* desktop, const std::string& path) {
    std::wstring wide = Wide(path);
    ShellIdListHandle idList;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, OutParam(idList), nullptr)))
        return {};
    return idList;
}

struct BrowseResult {
    std::string path;
    std::string displayName;
    ShellIdListHandle idList;
    int imageIndex = -1;
};

} // namespace

int RootToFolderID(TRootID root, bool windowsNT) {
    for (const RootIds& entry : kRootIds)
        if (entry.root == root) return windowsNT ? entry.nt : entry.other;
    return 0;
}

int RootToFolderID(TRootID root) {
    return RootToFolderID(root, IsWindowsNT());
}

UINT BrowseFlagsToBIF(TBrowseFlags options) {
    UINT flags = 0;
    for (const FlagBits& entry : kFlagBits)
        if (options.Has(entry.flag)) flags |= entry.bif;
    return flags;
}

bool DirectoryOrDriveExists(const std::string& path) {
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\') {
        const char letter = UpperCaseAscii(path.substr(0, 1))[0];
        const int bit = letter - 'A';
        return bit >= 0 && bit < 26 && (GetLogicalDrives() & (1u << bit)) != 0;
    }
    return DirectoryExists(StripTrailingBackslash(path));
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data) {
    auto* dialog = reinterpret_cast<TFolderBrowseDlg*>(data);
    if (message == BFFM_INITIALIZED)
        dialog->DoInitialized(window);
    else if (message == BFFM_SELCHANGED)
        dialog->DoSelChanged(window, reinterpret_cast<LPCITEMIDLIST>(param));
    return 0;
}

namespace {

bool BrowseForFolder(HWND owner, const std::string& title, TRootID root, TBrowseFlags options,
                     bool statusLine, BFFCALLBACK callback, LPARAM data, BrowseResult& result) {
    // The shell writes at most MAX_PATH characters of the display name.
    wchar_t buffer[kPathBuffer + 1] = {};
    ShellIdListHandle rootItem;
    SHGetSpecialFolderLocation(owner, RootToFolderID(root), OutParam(rootItem));

    const std::wstring wideTitle = Wide(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = rootItem.Get();
    info.pszDisplayName = buffer;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BrowseFlagsToBIF(options) | (statusLine ? BIF_STATUSTEXT : 0);
    info.lpfn = callback;
    info.lParam = data;
    result.idList.Reset(SHBrowseForFolderW(&info));
    const LPCITEMIDLIST chosen = result.idList.Get();
    if (!chosen) return false;
    // The display name is what the path call left in the buffer: the path when there is one.
    const std::string path = PathOfIdList(chosen);
    if (options.Has(TBrowseFlag::bfComputers)) {
        result.displayName = path.empty() ? Utf8(buffer) : path;
        result.path = path.empty() ? "\\\\" + Utf8(buffer) : path;
    } else {
        result.path = path;
        result.displayName = path;
    }
    result.imageIndex = info.iImage;
    // An item without a file-system path is still a choice.
    return true;
}

} // namespace

TFolderBrowseDlg::TFolderBrowseDlg(HWND ownerControl) : OwnerControl(ownerControl) {}

TFolderBrowseDlg::~TFolderBrowseDlg() = default;

bool TFolderBrowseDlg::Execute() {
    displayName_.clear();
    HWND owner = OwnerControl ? OwnerControl : MainWindowHandle();
    ComScope com;
    BrowseResult result;
    const bool statusLine = !statusText_.empty() || ShowSelectionInStatus;
    const bool success = BrowseForFolder(owner, Title, Root, Options, statusLine, BrowseCallback,
                                         reinterpret_cast<LPARAM>(this), result);
    dialogWindow_ = nullptr;
    if (success) {
        selection_ = result.path;
        displayName_ = result.displayName;
        imageIndex_ = result.imageIndex;
        selectionPIDL_ = std::move(result.idList);
    } else {
        selection_.clear();
        selectionPIDL_.Reset();
    }
    return success;
}

void TFolderBrowseDlg::DoInitialized(HWND window) {
    dialogWindow_ = window;
    if (Center) {
        RECT bounds{};
        GetWindowRect(window, &bounds);
        const int width = bounds.right - bounds.left;
        const int height = bounds.bottom - bounds.top;
        SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    SendMessageW(window, BFFM_ENABLEOK, 0, enableOKButton_ ? 1 : 0);
    if (!statusText_.empty()) SendStatusText();
    if (!selection_.empty() || selectionPIDL_) ApplySelection();
    if (!caption_.empty()) SetWindowTextW(window, Wide(caption_).c_str());
    if (OnCreate) OnCreate(*this);
}

void TFolderBrowseDlg::DoSelChanged(HWND, LPCITEMIDLIST idList) {
    if (!ShowSelectionInStatus && !OnSelChanged) return;
    const std::string path = PathOfIdList(idList);
    if (ShowSelectionInStatus) SetStatusText(path);
    if (OnSelChanged) OnSelChanged(*this, path, idList);
}

void TFolderBrowseDlg::ApplySelection() {
    if (!dialogWindow_) return;
    if (selection_.empty() && selectionPIDL_) {
        selection_ = PathOfIdList(selectionPIDL_.Get());
        SendMessageW(dialogWindow_, BFFM_SETSELECTIONW, FALSE,
                     reinterpret_cast<LPARAM>(selectionPIDL_.Get()));
        return;
    }
    ShellIdListHandle parsed;
    {
        ComPtr<IShellFolder> desktop;
        const HRESULT got = SHGetDesktopFolder(ComPtr<IShellFolder>::Out(desktop));
        if (FAILED(got) || !desktop) return;
        parsed = ParseDisplayName(desktop.Get(), selection_);
    }
    if (selection_.rfind("\\\\", 0) == 0) {
        if (!parsed) return;
        selectionPIDL_ = std::move(parsed);
        SendMessageW(dialogWindow_, BFFM_SETSELECTIONW, FALSE,
                     reinterpret_cast<LPARAM>(selectionPIDL_.Get()));
        return;
    }
    if (parsed) selectionPIDL_ = std::move(parsed);
    const std::string text = NormalizeSelectionPath(selection_);
    const std::wstring wide = Wide(text);
    SendMessageW(dialogWindow_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TFolderBrowseDlg::SetSelection(const std::string& value) {
    if (value == selection_) return;
    selection_ = value;
    if (!selection_.empty() && selection_.back() != '\\' && DirectoryOrDriveExists(selection_))
        selection_ += "\\";
    if (dialogWindow_) ApplySelection();
}

void TFolderBrowseDlg::SetStatusText(const std::string& value) {
    if (value == statusText_) return;
    statusText_ = value;
    if (dialogWindow_) SendStatusText();
}

void TFolderBrowseDlg::SetFitStatusText(bool value) {
    if (value == fitStatusText_) return;
    fitStatusText_ = value;
    if (dialogWindow_) SendStatusText();
}

void TFolderBrowseDlg::SetEnableOKButton(bool value) {
    if (value == enableOKButton_) return;
    enableOKButton_ = value;
    if (dialogWindow_) SendMessageW(dialogWindow_, BFFM_ENABLEOK, 0, value ? 1 : 0);
}

std::string TFolderBrowseDlg::Caption() const {
    if (dialogWindow_) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(dialogWindow_)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(dialogWindow_, text.data(), static_cast<int>(text.size()))));
        return Utf8(text);
    }
    return caption_;
}

void TFolderBrowseDlg::SetCaption(const std::string& value) {
    caption_ = value;
    if (dialogWindow_) SetWindowTextW(dialogWindow_, Wide(value).c_str());
}

void TFolderBrowseDlg::SendStatusText() const {
    const std::wstring text = Wide(DisplayStatusText());
    SendMessageW(dialogWindow_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TFolderBrowseDlg::DisplayStatusText() const {
    if (!fitStatusText_ || !dialogWindow_ || statusText_.empty()) return statusText_;
    HWND status = GetDlgItem(dialogWindow_, kStatusControlId);
    if (!status) return statusText_;
    RECT bounds{};
    GetWindowRect(status, &bounds);
    WindowDc dc(status);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    const TextMeasure measure = [&dc](const std::string& text) {
        SIZE extent{};
        const std::wstring wide = Wide(text);
        if (!GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &extent)) return 0;
        return static_cast<int>(extent.cx);
    };
    const int width = bounds.right - bounds.left;
    return DirectoryOrDriveExists(statusText_) ? FitPathToWidth(statusText_, width, measure)
                                               : FitTextToWidth(statusText_, width, measure);
}

} // namespace corv
