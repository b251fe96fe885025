#pragma once
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

// The user guide in a window of its own, rendered from the Markdown the program
// carries with it (with its pictures), beside whatever window the trader works in.
// One window for the whole program: F1 brings it to the front.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // The guide window, opened on first use.
    static void ShowGuide();

    QTextBrowser* txtGuide;
    QPushButton* cmdAbout;

private:
    void OpenLink(const QUrl& url);
    void ScrollToHeading(const QString& slug);
};
