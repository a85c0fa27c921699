#pragma once

#include "ui/desktop.h"

#include <QStringList>
#include <functional>

// Records what would have been shown or sounded. Installed for the life of the object.
class RecordingDesktop : public Desktop
{
public:
    struct Box
    {
        bool error;
        QString text;
        QString detail; // the detailed text behind "Show Details..."
        QStringList answers; // a question's two answers, the accepting one first
        const QWidget *owner = nullptr;
    };

    RecordingDesktop() { Desktop::install(this); }
    ~RecordingDesktop() override { Desktop::install(nullptr); }

    void showError(const QString &text, const QString &detailedText = QString()) override;
    void showInformation(const QString &text) override;
    // Records the question and gives `answer`.
    bool confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no) override;
    void alert() override { ++alerts; }
    void openUrl(const QUrl &url) override { urls << url.toString(); }

    QStringList texts() const;
    void clear() { boxes.clear(); alerts = 0; urls.clear(); }

    QList<Box> boxes;
    int alerts = 0;
    bool answer = false; // to every question: false stays, as Escape does

    QStringList urls;
    // Runs inside a box, while it would be open (a nested event loop, for instance).
    std::function<void(const Box &)> whileOpen;
};
