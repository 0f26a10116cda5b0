// TFolderBrowseDlg: the shell's folder dialog with a starting selection, a caption, centring, a status
// line that follows the selection and is shortened to fit, and control of the OK button.
#pragma once
#include "base/shellhandles.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>

namespace corv {

enum class TRootID {
    idDesktop,
    idInternet,
    idPrograms,
    idControlPanel,
    idPrinters,
    idPersonal,
    idFavorites,
    idStartup,
    idRecent,
    idSendTo,
    idRecycleBin,
    idStartMenu,
    idDesktopDirectory,
    idDrives,
    idNetwork,
    idNetHood,
    idFonts,
    idTemplates,
    idCommonStartMenu,
    idCommonPrograms,
    idCommonStartup,
    idCommonDesktopDirectory,
    idAppData,
    idPrintHood,
    idDesktopExpanded
};

enum class TBrowseFlag : std::uint32_t {
    bfDirectoriesOnly = 1u << 0,
    bfDomainOnly = 1u << 1,
    bfAncestors = 1u << 2,
    bfComputers = 1u << 3,
    bfPrinters = 1u << 4,
    bfIncludeFiles = 1u << 5,
};

// A set of TBrowseFlag.
class TBrowseFlags {
  public:
    TBrowseFlags() = default;
    TBrowseFlags(std::initializer_list<TBrowseFlag> flags) {
        for (TBrowseFlag flag : flags)
            bits_ |= static_cast<std::uint32_t>(flag);
    }
    bool Has(TBrowseFlag flag) const { return (bits_ & static_cast<std::uint32_t>(flag)) != 0; }
    bool operator==(const TBrowseFlags&) const = default;

  private:
    std::uint32_t bits_ = 0;
};

// The shell's special-folder id for a root; the common folders map to the per-user ones off NT.
int RootToFolderID(TRootID root);
int RootToFolderID(TRootID root, bool windowsNT);
// The shell's browse flags for a set of options.
UINT BrowseFlagsToBIF(TBrowseFlags options);
// A drive root such as "C:\" that the system has, or an existing directory.
bool DirectoryOrDriveExists(const std::string& path);

class TFolderBrowseDlg {
  public:
    using TFolderSelChangedEvent =
        std::function<void(TFolderBrowseDlg& sender, const std::string& newSel, LPCITEMIDLIST newSelPIDL)>;
    using TNotifyEvent = std::function<void(TFolderBrowseDlg& sender)>;

    // The owner window owns the dialog; without one the main window does.
    explicit TFolderBrowseDlg(HWND ownerControl = nullptr);
    ~TFolderBrowseDlg();
    TFolderBrowseDlg(const TFolderBrowseDlg&) = delete;
    TFolderBrowseDlg& operator=(const TFolderBrowseDlg&) = delete;

    // Shows the dialog modally; true when the user chose an item (then in Selection and DisplayName).
    bool Execute();

    const std::string& Selection() const { return selection_; }
    void SetSelection(const std::string& value);
    const std::string& StatusText() const { return statusText_; }
    void SetStatusText(const std::string& value);
    bool FitStatusText() const { return fitStatusText_; }
    void SetFitStatusText(bool value);
    bool EnableOKButton() const { return enableOKButton_; }
    void SetEnableOKButton(bool value);
    std::string Caption() const;
    void SetCaption(const std::string& value);

    std::string Title;
    TRootID Root = TRootID::idDesktop;
    TBrowseFlags Options;
    bool Center = true;
    bool ShowSelectionInStatus = false;
    HWND OwnerControl = nullptr;
    TFolderSelChangedEvent OnSelChanged;
    TNotifyEvent OnCreate;

    int ImageIndex() const { return imageIndex_; }
    const std::string& DisplayName() const { return displayName_; }
    LPCITEMIDLIST SelectionPIDL() const { return selectionPIDL_.Get(); }
    HWND DialogWindow() const { return dialogWindow_; }

  protected:
    virtual void DoInitialized(HWND window);
    virtual void DoSelChanged(HWND window, LPCITEMIDLIST idList);

  private:
    friend int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data);
    void ApplySelection();
    std::string DisplayStatusText() const;
    void SendStatusText() const;

    HWND dialogWindow_ = nullptr;
    std::string caption_;
    bool fitStatusText_ = true;
    std::string selection_;
    std::string statusText_;
    bool enableOKButton_ = true;
    int imageIndex_ = -1;
    ShellIdListHandle selectionPIDL_;
    std::string displayName_;
};

} // namespace corv
