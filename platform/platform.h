#pragma once
#include <QDate>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The outside world as the windows see it: message boxes, file dialogs, the clock,
// the program's directory, the screen and the printer. The program runs on
// QtPlatform; tests install a scripted fake so that nothing ever waits for a person.

inline const QString ProgramTitle = QStringLiteral("Marlowind - Tessaray");

enum class MsgButtons { Ok, YesNoCancel };
enum class MsgIcon { None, Critical };
enum class MsgResult { Ok, Yes, No, Cancel };

// How a print ended. A page counts as printed only once the print service has taken
// the job; a paused printer takes it and keeps it in its queue until it is resumed.
enum class PrintStatus { Printed, HeldInQueue, Cancelled, Failed };
struct PrintResult {
    PrintStatus status = PrintStatus::Printed;
    QString printer;   // the queue the job went to, or was meant for
    QString reason;    // Failed: why, in the platform's words ("No printer is installed")
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual MsgResult messageBox(const QString& text, const QString& caption,
                                 MsgButtons buttons, MsgIcon icon) = 0;

    // filter as "Fibonacci Project File| *.fib" (description, bar, patterns), the one
    // form every window writes; initialName is a full path proposed to the user.
    // std::nullopt when the user cancels.
    virtual std::optional<QString> openFileName(const QString& filter, const QString& initialName) = 0;
    // Several files chosen at once, in the order the dialog gives them; empty when the
    // user cancels.
    virtual QStringList openFileNames(const QString& filter, const QString& initialName) = 0;
    virtual std::optional<QString> saveFileName(const QString& filter, const QString& initialName) = 0;

    virtual QDate today() = 0;
    // Directory of the executable, without a trailing separator.
    virtual QString programDir() = 0;
    // Primary screen in pixels.
    virtual QSize screenSize() = 0;
    // 1440 / logical DPI: 15 at 96 DPI.
    virtual double twipsPerPixel() = 0;
    // Where windows may go on the primary screen: the screen less its panels and docks.
    // The whole screen unless told otherwise.
    virtual QRect availableArea() { return QRect(QPoint(0, 0), screenSize()); }
    // The window manager's frame (title bar and borders) around a window's client area.
    virtual QMargins frameMargins() { return QMargins(); }
    // Device pixels per logical pixel: 1 at 100%, 2 at 200% desktop scaling. The charts
    // are drawn at this resolution so their text and lines stay sharp.
    virtual double devicePixelRatio() { return 1.0; }

    // Prints one page with image at its own size (in logical pixels, whatever its device
    // pixel ratio), top-left at (1000, 200) twips from the printable area's corner.
    // Cancelled when the trader cancelled the print dialog.
    virtual PrintResult printImage(const QImage& image, bool monochrome) = 0;
};

// The platform in force; QtPlatform unless a test installed another one.
Platform& platform();
void setPlatform(Platform* p);   // nullptr restores the real one

// The window a question is about, while it asks: message boxes and file dialogs open
// over it, not over whichever window happens to be in front.
class DialogOwner {
public:
    explicit DialogOwner(QWidget* window);
    ~DialogOwner();
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;
    // The innermost owner, or nullptr when no window asks.
    static QWidget* current();

private:
    QWidget* m_previous;
};

// Shorthands for the program's two kinds of message.
// An input message: OK only, no icon, the program's title as caption.
MsgResult ShowMessage(const QString& text, MsgButtons buttons = MsgButtons::Ok);
// "Action failed:" + line break + sentence, critical icon, caption "Action failed".
void ShowActionFailed(const QString& sentence);

// Window and control geometry is given in twips; these convert with the screen's scale.
int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);
