// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/shell/frmHelp.h"

#include "forms/shell/frmAbout.h"
#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
// Where the build puts the guide and its pictures (resources "guide").
const QString GuideSource = QStringLiteral("qrc:/guide/guide.md");

// A heading's anchor as the guide's table of contents writes it: "5.1 The Fibonacci
// window" -> "51-the-fibonacci-window".
QString Slug(const QString& heading)
{
    QString slug = heading.toLower();
    slug.remove(QRegularExpression(QStringLiteral("[^a-z0-9 _-]")));
    return slug.replace(QLatin1Char(' '), QLatin1Char('-'));
}
}  // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(ProgramTitle + QStringLiteral(": User Guide"));
    setAttribute(Qt::WA_DeleteOnClose);

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
    txtFind->setAccessibleName(QStringLiteral("Find in the guide"));
    txtFind->setClearButtonEnabled(true);
    cmdAbout = new QPushButton(QStringLiteral("&About"), this);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    txtGuide = new QTextBrowser(this);
    txtGuide->setObjectName(QStringLiteral("txtGuide"));
    txtGuide->setAccessibleName(QStringLiteral("User guide"));
    txtGuide->setOpenLinks(false);
    txtGuide->setSource(QUrl(GuideSource), QTextDocument::MarkdownResource);
    // Always there, so the page keeps its width as the guide is laid out.
    txtGuide->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    WrapExamples();

    auto* top = new QHBoxLayout;
    top->addWidget(txtFind);
    top->addStretch();
    top->addWidget(cmdAbout);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(txtGuide);

    connect(cmdAbout, &QPushButton::clicked, this, [this] { frmAbout::ShowAbout(this); });
    connect(txtGuide, &QTextBrowser::anchorClicked, this, &frmHelp::OpenLink);
    txtGuide->viewport()->installEventFilter(this);
    AddKeys();
    NameButtonsByCaption(this);
    txtGuide->setFocus();  // the keys scroll the page; Ctrl+F reaches the find box

    // A comfortable reading size, never larger than the desktop.
    const QRect area = platform().availableArea();
    resize(std::min(860, area.width() * 9 / 10), std::min(720, area.height() * 9 / 10));
    move(area.center() - rect().center());
}

void frmHelp::AddKeys()
{
    AddProgramShortcuts(this);
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        txtFind->setFocus(Qt::ShortcutFocusReason);
        txtFind->selectAll();
    });
    // Typing more of the text looks again from the place found; Enter moves on,
    // Shift+Enter back.
    connect(txtFind, &QLineEdit::textEdited, this, [this](const QString& text) {
        QTextCursor from = txtGuide->textCursor();
        from.setPosition(from.selectionStart());
        if (txtGuide->viewport()->rect().intersects(txtGuide->cursorRect(from)))
            txtGuide->setTextCursor(from);
        FindText(text);
    });
    connect(txtFind, &QLineEdit::returnPressed, this,
            [this] { FindText(txtFind->text(), QGuiApplication::keyboardModifiers() & Qt::ShiftModifier); });
}

void frmHelp::ShowGuide(const QString& heading)
{
    static QPointer<frmHelp> window;
    if (!window)
        window = new frmHelp();
    window->show();
    window->raise();
    window->activateWindow();
    if (!heading.isEmpty())
        window->ShowHeading(heading);
}

bool frmHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtGuide->viewport() && event->type() == QEvent::Resize)
        FitPictures();
    return QWidget::eventFilter(watched, event);
}

// Example command lines and files run wider than any window; like a terminal, the
// guide breaks them at its edge rather than make every page scroll sideways.
void frmHelp::WrapExamples()
{
    QTextCursor cursor(txtGuide->document());
    for (QTextBlock block = txtGuide->document()->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (!format.nonBreakableLines())
            continue;
        format.setNonBreakableLines(false);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

// The screenshots are as wide as the screens they show. Each is shown at most as wide
// as the page, so the guide never has to be scrolled sideways to see a picture whole.
void frmHelp::FitPictures()
{
    QTextDocument* doc = txtGuide->document();
    const qreal room = txtGuide->viewport()->width() - 2 * doc->documentMargin() - 1;
    QList<std::pair<QTextFragment, QTextImageFormat>> changes;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
            if (!picture.isValid())
                continue;
            const QUrl url = txtGuide->source().resolved(QUrl(picture.name()));
            const QSize natural = QImageReader(QLatin1Char(':') + url.path()).size();
            const qreal width = std::min<qreal>(natural.width(), std::max<qreal>(room, 50));
            if (natural.isEmpty() || picture.width() == width)
                continue;
            picture.setWidth(width);
            picture.setHeight(natural.height() * width / natural.width());
            changes.append({it.fragment(), picture});
        }
    for (const auto& [fragment, picture] : changes) {
        QTextCursor cursor(doc);
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture);
    }
}

bool frmHelp::ShowHeading(const QString& heading) { return ScrollToHeading(Slug(heading)); }

bool frmHelp::FindText(const QString& text, bool backwards)
{
    // From the page being read: a place found before stays the starting point while it
    // is in view, else the search starts at the top of the view.
    if (!txtGuide->viewport()->rect().intersects(txtGuide->cursorRect()))
        txtGuide->setTextCursor(txtGuide->cursorForPosition(QPoint(0, 0)));
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = text.isEmpty() || txtGuide->find(text, flags);
    if (!found) {
        QTextCursor restart = txtGuide->textCursor();
        restart.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
        txtGuide->setTextCursor(restart);
        found = txtGuide->find(text, flags);
    }
    // Red, as a date that is not whole: the text is nowhere in the guide.
    QPalette p = txtFind->palette();
    p.setColor(QPalette::Text, found ? QPalette().color(QPalette::Text) : QColor(Qt::red));
    txtFind->setPalette(p);
    return found;
}

void frmHelp::OpenLink(const QUrl& url)
{
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (url.hasFragment())
        ScrollToHeading(url.fragment());
}

bool frmHelp::ScrollToHeading(const QString& slug)
{
    QTextDocument* doc = txtGuide->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || Slug(block.text()) != slug)
            continue;
        const QRectF at = doc->documentLayout()->blockBoundingRect(block);
        txtGuide->verticalScrollBar()->setValue(int(at.top()));
        return true;
    }
    return false;
}
