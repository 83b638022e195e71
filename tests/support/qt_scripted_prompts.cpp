#include "support/qt_scripted_prompts.h"

#include <QDir>

ScriptedPrompts::ScriptedPrompts() { platform::InstallPromptsSeam(this); }

ScriptedPrompts::~ScriptedPrompts() { platform::InstallPromptsSeam(nullptr); }

std::vector<QString> ScriptedPrompts::Texts() const
{
    std::vector<QString> texts;
    for (const Message& m : messages)
        texts.push_back(m.text);
    return texts;
}

platform::FileDialogResult ScriptedPrompts::Chosen(const QString& folder, const QString& name,
                                                   bool askedOverwrite)
{
    platform::FileDialogResult r;
    r.accepted = true;
    r.folder = folder;
    r.fileName = name;
    r.pathName = QDir(folder).filePath(name);
    r.askedOverwrite = askedOverwrite;
    return r;
}

int ScriptedPrompts::MessageBox(const QString& caption, const QString& text, unsigned type)
{
    Message m{caption, text, type};
    messages.push_back(m);
    if (onMessage)
        onMessage(m);
    if (!messageAnswers.empty()) {
        int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
}

platform::FileDialogResult ScriptedPrompts::FileDialog(const platform::FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return {};
    platform::FileDialogResult r = fileAnswers.front();
    fileAnswers.pop_front();
    return r;
}

QString ScriptedPrompts::BrowseForFolder(const QString& title)
{
    folderTitles.push_back(title);
    if (folderAnswers.empty())
        return {};
    QString r = folderAnswers.front();
    folderAnswers.pop_front();
    return r;
}
