#include "browse/folderdlg.h"

#include "browse/folderpath.h"
#include "settings/pathtext.h"
#include "ui/application.h"
#include "ui/handles.h"

#include <vector>

namespace corv {

namespace {

constexpr int kStatusControlId = 14147; // the shell dialog's status line
constexpr std::size_t kPathBuffer = MAX_PATH;

struct RootIds {
    TRootID root;
    int nt;
    int other;
};

constexpr RootIds kRootIds[] = {
    {TRootID::idDesktop, 0x00, 0x00},
    {TRootID::idInternet, 0x01, 0x01},
    {TRootID::idPrograms, 0x02, 0x02},
    {TRootID::idControlPanel, 0x03, 0x03},
    {TRootID::idPrinters, 0x04, 0x04},
    {TRootID::idPersonal, 0x05, 0x05},
    {TRootID::idFavorites, 0x06, 0x06},
    {TRootID::idStartup, 0x07, 0x07},
    {TRootID::idRecent, 0x08, 0x08},
    {TRootID::idSendTo, 0x09, 0x09},
    {TRootID::idRecycleBin, 0x0A, 0x0A},
    {TRootID::idStartMenu, 0x0B, 0x0B},
    {TRootID::idDesktopDirectory, 0x10, 0x10},
    {TRootID::idDrives, 0x11, 0x11},
    {TRootID::idNetwork, 0x12, 0x12},
    {TRootID::idNetHood, 0x13, 0x13},
    {TRootID::idFonts, 0x14, 0x14},
    {TRootID::idTemplates, 0x15, 0x15},
    {TRootID::idCommonStartMenu, 0x16, 0x0B},
    {TRootID::idCommonPrograms, 0x17, 0x02},
    {TRootID::idCommonStartup, 0x18, 0x07},
    {TRootID::idCommonDesktopDirectory, 0x19, 0x10},
    {TRootID::idAppData, 0x1A, 0x1A},
    {TRootID::idPrintHood, 0x1B, 0x1B},
    {TRootID::idDesktopExpanded, 0xFEFE, 0xFEFE},
};

struct FlagBits {
    TBrowseFlag flag;
    UINT bif;
};

constexpr FlagBits kFlagBits[] = {
    {TBrowseFlag::bfDirectoriesOnly, 0x0001}, {TBrowseFlag::bfDomainOnly, 0x0002},
    {TBrowseFlag::bfAncestors, 0x0008},       {TBrowseFlag::bfComputers, 0x1000},
    {TBrowseFlag::bfPrinters, 0x2000},        {TBrowseFlag::bfIncludeFiles, 0x4000},
};

bool IsWindowsNT() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

// The file-system path of an item, "" for items without one.
std::string PathOfIdList(LPCITEMIDLIST idList) {
    char buffer[kPathBuffer + 1] = {};
    if (!idList || !SHGetPathFromIDListA(idList, buffer)) return {};
    return buffer;
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

// Parses a path into an id list with the desktop folder; nullptr when it cannot.
LPITEMIDLIST ParseDisplayName(IShellFolder* desktop, const std::string& path) {
    wchar_t wide[kPathBuffer + 1] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, static_cast<int>(kPathBuffer)) == 0) return nullptr;
    wide[kPathBuffer] = L'\0';
    LPITEMIDLIST idList = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &idList, nullptr))) return nullptr;
    return idList;
}

struct BrowseResult {
    std::string path;
    std::string displayName;
    LPITEMIDLIST idList = nullptr;
    int imageIndex = -1;
};

} // namespace

int RootToFolderID(TRootID root, bool windowsNT) {
    for (const RootIds& entry : kRootIds)
        if (entry.root == root) return windowsNT ? entry.nt : entry.other;
    return 0;
}

int RootToFolderID(TRootID root) { return RootToFolderID(root, IsWindowsNT()); }

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
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(StripTrailingBackslash(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

bool BrowseForFolder(IMalloc* malloc, HWND owner, const std::string& title, TRootID root, TBrowseFlags options,
                     bool statusLine, BFFCALLBACK callback, LPARAM data, BrowseResult& result) {
    auto* buffer = static_cast<char*>(malloc->Alloc(kPathBuffer + 1));
    if (!buffer) return false;
    buffer[0] = '\0';
    LPITEMIDLIST rootItem = nullptr;
    SHGetSpecialFolderLocation(owner, RootToFolderID(root), &rootItem);

    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = rootItem;
    info.pszDisplayName = buffer;
    info.lpszTitle = title.c_str();
    info.ulFlags = BrowseFlagsToBIF(options) | (statusLine ? BIF_STATUSTEXT : 0);
    info.lpfn = callback;
    info.lParam = data;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);

    bool success = false;
    if (chosen) {
        if (options.Has(TBrowseFlag::bfComputers)) {
            result.path = std::string("\\\\") + buffer;
            if (SHGetPathFromIDListA(chosen, buffer)) result.path = buffer;
            success = true;
        } else {
            success = SHGetPathFromIDListA(chosen, buffer) != FALSE;
            result.path = buffer;
        }
        result.imageIndex = info.iImage;
        success = true; // an item without a file-system path is still a choice
        result.displayName = buffer;
    }
    result.idList = chosen;
    if (rootItem) malloc->Free(rootItem);
    malloc->Free(buffer);
    return success;
}

} // namespace

TFolderBrowseDlg::TFolderBrowseDlg(HWND ownerControl) : OwnerControl(ownerControl) {
    if (FAILED(SHGetMalloc(&shellMalloc_))) shellMalloc_ = nullptr;
}

TFolderBrowseDlg::~TFolderBrowseDlg() {
    SetSelectionPIDL(nullptr);
    if (shellMalloc_) shellMalloc_->Release();
}

bool TFolderBrowseDlg::Execute() {
    displayName_.clear();
    HWND owner = OwnerControl ? OwnerControl : MainWindowHandle();
    ComScope com;
    BrowseResult result;
    const bool statusLine = !statusText_.empty() || ShowSelectionInStatus;
    const bool success = shellMalloc_ && BrowseForFolder(shellMalloc_, owner, Title, Root, Options, statusLine,
                                                         BrowseCallback, reinterpret_cast<LPARAM>(this), result);
    dialogWindow_ = nullptr;
    if (success) {
        selection_ = result.path;
        displayName_ = result.displayName;
        imageIndex_ = result.imageIndex;
        SetSelectionPIDL(result.idList);
    } else {
        selection_.clear();
        SetSelectionPIDL(nullptr);
        if (result.idList && shellMalloc_) shellMalloc_->Free(result.idList);
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
    SendMessageA(window, BFFM_ENABLEOK, 0, enableOKButton_ ? 1 : 0);
    if (!statusText_.empty()) {
        const std::string text = DisplayStatusText();
        SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (!selection_.empty() || selectionPIDL_) ApplySelection();
    if (!caption_.empty()) SetWindowTextA(window, caption_.c_str());
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
        selection_ = PathOfIdList(selectionPIDL_);
        SendMessageA(dialogWindow_, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(selectionPIDL_));
        return;
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return;
    LPITEMIDLIST parsed = ParseDisplayName(desktop, selection_);
    desktop->Release();
    if (selection_.rfind("\\\\", 0) == 0) {
        if (!parsed) return;
        SetSelectionPIDL(parsed);
        SendMessageA(dialogWindow_, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(selectionPIDL_));
        return;
    }
    if (parsed) SetSelectionPIDL(parsed);
    const std::string text = NormalizeSelectionPath(selection_);
    SendMessageA(dialogWindow_, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TFolderBrowseDlg::SetSelection(const std::string& value) {
    if (value == selection_) return;
    selection_ = value;
    if (!selection_.empty() && selection_.back() != '\\' && DirectoryOrDriveExists(selection_)) selection_ += "\\";
    if (dialogWindow_) ApplySelection();
}

void TFolderBrowseDlg::SetSelectionPIDL(LPITEMIDLIST idList) {
    if (idList == selectionPIDL_) return;
    if (selectionPIDL_ && shellMalloc_) shellMalloc_->Free(selectionPIDL_);
    selectionPIDL_ = idList;
}

void TFolderBrowseDlg::SetStatusText(const std::string& value) {
    if (value == statusText_) return;
    statusText_ = value;
    if (dialogWindow_) {
        const std::string text = DisplayStatusText();
        SendMessageA(dialogWindow_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TFolderBrowseDlg::SetFitStatusText(bool value) {
    if (value == fitStatusText_) return;
    fitStatusText_ = value;
    if (dialogWindow_) {
        const std::string text = DisplayStatusText();
        SendMessageA(dialogWindow_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TFolderBrowseDlg::SetEnableOKButton(bool value) {
    if (value == enableOKButton_) return;
    enableOKButton_ = value;
    if (dialogWindow_) SendMessageA(dialogWindow_, BFFM_ENABLEOK, 0, value ? 1 : 0);
}

std::string TFolderBrowseDlg::Caption() const {
    if (dialogWindow_) {
        char text[257] = {};
        GetWindowTextA(dialogWindow_, text, sizeof text);
        return text;
    }
    return caption_;
}

void TFolderBrowseDlg::SetCaption(const std::string& value) {
    caption_ = value;
    if (dialogWindow_) SetWindowTextA(dialogWindow_, value.c_str());
}

std::string TFolderBrowseDlg::DisplayStatusText() const {
    if (!fitStatusText_ || !dialogWindow_ || statusText_.empty()) return statusText_;
    HWND status = GetDlgItem(dialogWindow_, kStatusControlId);
    if (!status) return statusText_;
    RECT bounds{};
    GetWindowRect(status, &bounds);
    WindowDc dc(status);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    const TextMeasure measure = [&dc](const std::string& text) {
        SIZE extent{};
        if (!GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent)) return 0;
        return static_cast<int>(extent.cx);
    };
    const int width = bounds.right - bounds.left;
    return DirectoryOrDriveExists(statusText_) ? FitPathToWidth(statusText_, width, measure)
                                               : FitTextToWidth(statusText_, width, measure);
}

} // namespace corv
