// A prompts seam for tests: answers every message box, file dialog and folder picker from
// queues, and records what was shown. Installs itself for its lifetime.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/prompts/prompts.h"

class ScriptedPrompts : public platform::PromptsSeam {
public:
    struct Message {
        QString caption;
        QString text;
        unsigned type = 0;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Answers, taken in order; when a queue is empty: IDOK (IDYES for MB_YESNO), a cancelled
    // file dialog, a cancelled folder picker.
    std::deque<int> messageAnswers;
    std::deque<platform::FileDialogResult> fileAnswers;
    std::deque<QString> folderAnswers;

    // Called with each message before it is answered (on the user-interface thread).
    std::function<void(const Message&)> onMessage;

    // What was shown.
    std::vector<Message> messages;
    std::vector<platform::FileDialogRequest> fileRequests;
    std::vector<QString> folderTitles;

    // The texts of the messages shown, in order.
    std::vector<QString> Texts() const;

    // A confirmed file dialog answer for `folder` and `name`.
    static platform::FileDialogResult Chosen(const QString& folder, const QString& name,
                                             bool askedOverwrite = false);

    int MessageBox(const QString& caption, const QString& text, unsigned type) override;
    platform::FileDialogResult FileDialog(const platform::FileDialogRequest& request) override;
    QString BrowseForFolder(const QString& title) override;
};
