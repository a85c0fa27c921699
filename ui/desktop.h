#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// What a headless test cannot look at: message boxes, the alert sound and the shell's
// "open". The default is the real thing; tests install a recorder.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Modal, without an owner window: caption "Error" and an error icon. A detailed
    // text, when given, is offered behind the box's "Show Details..." button.
    virtual void showError(const QString &text, const QString &detailedText = QString()) = 0;
    // Modal, without an owner window: empty caption and an information icon.
    virtual void showInformation(const QString &text) = 0;
    // A question owned by the window, with a question icon and the two answers as its
    // buttons; Escape and the box's close button give the second. True for the first.
    virtual bool confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no) = 0;
    // The system's default alert sound, for a rejected keystroke.
    virtual void alert() = 0;
    // Opens the address in the user's default browser; the result is ignored.
    virtual void openUrl(const QUrl &url) = 0;

    static Desktop &instance();
    // Replaces the desktop for the whole program (nullptr restores the real one).
    static void install(Desktop *desktop);
};

class SystemDesktop : public Desktop
{
public:
    void showError(const QString &text, const QString &detailedText = QString()) override;
    void showInformation(const QString &text) override;
    bool confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no) override;
    void alert() override;
    void openUrl(const QUrl &url) override;
};
