#include "forms/shell/frmHelp.h"

#include "forms/shell/frmAbout.h"
#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
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
} // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(ProgramTitle + QStringLiteral(": User Guide"));
    setAttribute(Qt::WA_DeleteOnClose);

    cmdAbout = new QPushButton(QStringLiteral("&About"), this);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    txtGuide = new QTextBrowser(this);
    txtGuide->setObjectName(QStringLiteral("txtGuide"));
    txtGuide->setAccessibleName(QStringLiteral("User guide"));
    txtGuide->setOpenLinks(false);
    txtGuide->setSource(QUrl(GuideSource), QTextDocument::MarkdownResource);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(cmdAbout);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(txtGuide);

    connect(cmdAbout, &QPushButton::clicked, this, [this] { frmAbout::ShowAbout(this); });
    connect(txtGuide, &QTextBrowser::anchorClicked, this, &frmHelp::OpenLink);
    AddProgramShortcuts(this);
    NameButtonsByCaption(this);

    // A comfortable reading size, never larger than the desktop.
    const QRect area = platform().availableArea();
    resize(std::min(860, area.width() * 9 / 10), std::min(720, area.height() * 9 / 10));
    move(area.center() - rect().center());
}

void frmHelp::ShowGuide()
{
    static QPointer<frmHelp> window;
    if (!window) window = new frmHelp();
    window->show();
    window->raise();
    window->activateWindow();
}

void frmHelp::OpenLink(const QUrl& url)
{
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (url.hasFragment()) ScrollToHeading(url.fragment());
}

void frmHelp::ScrollToHeading(const QString& slug)
{
    QTextDocument* doc = txtGuide->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || Slug(block.text()) != slug) continue;
        const QRectF at = doc->documentLayout()->blockBoundingRect(block);
        txtGuide->verticalScrollBar()->setValue(int(at.top()));
        return;
    }
}
