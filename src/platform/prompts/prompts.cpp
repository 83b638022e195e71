// Message boxes, file dialogs and the folder picker, each carried out on the user-interface
// thread, answered by the installed seam or shown on screen.
#include "platform/prompts/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <type_traits>

namespace platform {

namespace {

// Both are read and written on the user-interface thread only: every call below goes there
// before it looks at them.
QPointer<QWidget>& Owner()
{
    static QPointer<QWidget> owner;
    return owner;
}

PromptsSeam*& Seam()
{
    static PromptsSeam* seam = nullptr;
    return seam;
}

// Runs `call` on the user-interface thread and returns its result. From another thread the
// caller waits until it is done there (the user-interface thread keeps handling events while a
// prompt is up, so the wait ends when the user answers).
template <class Call>
auto OnUiThread(Call call) -> std::invoke_result_t<Call>
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return call();
    std::invoke_result_t<Call> result{};
    QMetaObject::invokeMethod(app, [&result, &call] { result = call(); },
                              Qt::BlockingQueuedConnection);
    return result;
}

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & 0xF0u) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowMessageBox(const QString& text, unsigned type)
{
    const QString caption = ApplicationName();
    if (PromptsSeam* seam = Seam())
        return seam->MessageBox(caption, text, type);

    const bool yesNo = (type & 0xFu) == MB_YESNO;
    QMessageBox box(IconOf(type), caption, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner().data());
    box.setWindowModality(Qt::ApplicationModal);
    const int clicked = box.exec();
    if (yesNo)
        return clicked == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;  // OK, Esc and the close box all dismiss the box
}

FileDialogResult ShowFileDialog(const FileDialogRequest& request)
{
    if (PromptsSeam* seam = Seam())
        return seam->FileDialog(request);

    QFileDialog dialog(Owner().data(), request.open ? QStringLiteral("Open")
                                                    : QStringLiteral("Save As"));
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Any name may be typed: what is no video or no usable name is refused by the caller.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);

    FileDialogResult result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    result.accepted = true;
    result.folder = chosen.absolutePath();
    result.fileName = chosen.fileName();
    result.pathName = chosen.absoluteFilePath();
    // The save dialog confirms every existing name before it accepts it (its overwrite
    // question is on), so a name that exists now was asked about.
    result.askedOverwrite = !request.open && chosen.exists();
    return result;
}

QString ShowFolderPicker(QWidget* owner, const QString& title)
{
    if (PromptsSeam* seam = Seam())
        return seam->BrowseForFolder(title);
    return QFileDialog::getExistingDirectory(owner ? owner : Owner().data(), title);
}

}  // namespace

QString ApplicationName()
{
    if (!QCoreApplication::instance())
        return QString();
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void SetPromptOwner(QWidget* owner)
{
    OnUiThread([owner] {
        Owner() = owner;
        return 0;
    });
}

QWidget* PromptOwner()
{
    return OnUiThread([] { return Owner().data(); });
}

int AfxMessageBox(const QString& text, unsigned type, unsigned helpId)
{
    (void)helpId;  // no help file is kept
    return OnUiThread([&text, type] { return ShowMessageBox(text, type); });
}

FileDialogResult RunFileDialog(const FileDialogRequest& request)
{
    return OnUiThread([&request] { return ShowFileDialog(request); });
}

QString BrowseForFolder(QWidget* owner, const QString& title, unsigned flags)
{
    (void)flags;  // every folder the picker offers has a file-system path
    return OnUiThread([owner, &title] { return ShowFolderPicker(owner, title); });
}

void InstallPromptsSeam(PromptsSeam* seam)
{
    OnUiThread([seam] {
        Seam() = seam;
        return 0;
    });
}

}  // namespace platform
