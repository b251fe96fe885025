// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTextBrowser;
class QUrl;

// The user guide in a window of its own, rendered from the Markdown the program
// carries with it (with its pictures), beside whatever window the trader works in.
// One window for the whole program: F1 brings it to the front, open at the section of
// the window it was pressed in. Ctrl+F goes to the find box (Enter finds the next
// place, Shift+Enter the one before); Escape and Ctrl+W close the guide.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // The guide window, opened on first use, at `heading` ("5.2 The Gann window")
    // unless that is empty.
    static void ShowGuide(const QString& heading = QString());

    // Scrolls the guide to the heading with this text; false when there is none.
    bool ShowHeading(const QString& heading);
    // Selects the next place (or the one before) holding `text`, going round the end
    // of the guide; false when the guide holds it nowhere.
    bool FindText(const QString& text, bool backwards = false);

    QLineEdit* txtFind;
    QPushButton* cmdAbout;
    QTextBrowser* txtGuide;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddKeys();
    void WrapExamples();
    void FitPictures();
    void OpenLink(const QUrl& url);
    bool ScrollToHeading(const QString& slug);
};
