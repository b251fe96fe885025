#pragma once
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

// A one-line text box with a key-press hook, so each window's key filter (digits and
// one point in a price box) is one function: for every key that types a
// character the hook gets the character code (Ctrl+letter gives 1..26, so Ctrl+V
// is 22) and may change it; 0 swallows the key. Keys without a character (arrows,
// Delete) pass untouched. Pasted or program-set text is not filtered.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    std::function<void(int& keyAscii)> keyPress;

    // Typing and pasting stop at `limit` characters; text the program sets with
    // setTextUncut is shown whole (a long price from a file), and typing still stops
    // at the limit afterwards.
    void setTypingLimit(int limit);
    void setTextUncut(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_typingLimit = 0;   // 0: no limit
};

// A multi-line box for notes: Enter starts a new line, Tab moves to the next
// control. text() joins lines with "\n"; setText() takes "\r\n" or "\n".
class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return toPlainText(); }

signals:
    void gotFocus();
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
