// Message boxes, the file open and save dialogs and the folder picker: one seam, so that a test
// answers every prompt and reads what was shown. Every call may be made from any thread; off
// the user-interface thread it is carried out there while the caller waits.
#pragma once

#include <QString>

class QWidget;

namespace platform {

// Message box types and results, with the values of the original platform.
inline constexpr unsigned MB_OK = 0x00000000u;
inline constexpr unsigned MB_YESNO = 0x00000004u;
inline constexpr unsigned MB_ICONERROR = 0x00000010u;
inline constexpr unsigned MB_ICONQUESTION = 0x00000020u;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The application's name: the program file's own name without folder and extension.
QString ApplicationName();

// The owner of every prompt from now on (the main dialog once it exists; null before).
void SetPromptOwner(QWidget* owner);
QWidget* PromptOwner();

// A modal message box captioned with the application's name. Returns IDOK, or IDYES / IDNO
// for MB_YESNO.
int AfxMessageBox(const QString& text, unsigned type = MB_OK, unsigned helpId = 0);

// What a file dialog was asked for.
struct FileDialogRequest {
    bool open = true;           // open dialog, else save dialog
    QString filter;             // e.g. "AVI Files (*.avi)"
};

// What it answered.
struct FileDialogResult {
    bool accepted = false;      // the user confirmed a name
    QString folder;             // the folder the name was confirmed in
    QString fileName;           // the name without folder (GetFileName)
    QString pathName;           // folder and name joined (GetPathName)
    bool askedOverwrite = false;  // the dialog asked before accepting this existing file
};

FileDialogResult RunFileDialog(const FileDialogRequest& request);

// The folder picker: the chosen folder's path, or empty when the user cancelled.
QString BrowseForFolder(QWidget* owner, const QString& title, unsigned flags);

// The test seam. While one is installed, every prompt goes to it instead of the screen.
class PromptsSeam {
public:
    virtual ~PromptsSeam() = default;
    virtual int MessageBox(const QString& caption, const QString& text, unsigned type) = 0;
    virtual FileDialogResult FileDialog(const FileDialogRequest& request) = 0;
    virtual QString BrowseForFolder(const QString& title) = 0;
};

// Installs `seam` (null restores the real dialogs). The caller keeps ownership.
void InstallPromptsSeam(PromptsSeam* seam);

}  // namespace platform
