#pragma once
#include "platform/platform.h"
#include <QList>
#include <QQueue>
#include <QStringList>

// Scripted platform for tests. Every message box, file dialog and print is recorded;
// answers come from queues the test fills beforehand. An unexpected dialog (empty
// queue) is recorded in `unexpected` and answered with Cancel, so a test can fail
// with a message instead of waiting for a person.
class FakePlatform : public Platform {
public:
    // owner: the window the question was about (DialogOwner), if one said so.
    struct Message { QString text, caption; MsgButtons buttons; MsgIcon icon; QWidget* owner; };

    QDate todayDate = QDate(2024, 6, 1);
    QString dir;                       // program directory (a temporary one in tests)
    QSize screen = QSize(1024, 768);
    double tpp = 15.0;
    QRect available;                   // panels excluded; null: the whole screen
    QMargins frame;                    // the window manager's frame
    double ratio = 1.0;                // device pixels per logical pixel

    QQueue<MsgResult> answers;         // for Yes/No/Cancel boxes; OK boxes need none
    QQueue<std::optional<QString>> openAnswers, saveAnswers;
    QQueue<QStringList> openManyAnswers;   // an empty list cancels
    // What the print service answers; the picture is recorded when it takes the job.
    PrintResult printAnswer = {PrintStatus::Printed, QStringLiteral("PDF"), QString()};

    QList<Message> messages;
    QStringList openRequests, saveRequests;   // "filter|initialName"
    QList<QImage> printedImages;
    QList<bool> printedMonochrome;
    QStringList unexpected;

    MsgResult messageBox(const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon) override {
        messages.append({text, caption, buttons, icon, DialogOwner::current()});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (answers.isEmpty()) { unexpected << ("message box: " + text); return MsgResult::Cancel; }
        return answers.dequeue();
    }
    std::optional<QString> openFileName(const QString& filter, const QString& initial) override {
        openRequests << filter + "|" + initial;
        if (openAnswers.isEmpty()) { unexpected << "open dialog"; return std::nullopt; }
        return openAnswers.dequeue();
    }
    QStringList openFileNames(const QString& filter, const QString& initial) override {
        openRequests << filter + "|" + initial;
        if (openManyAnswers.isEmpty()) { unexpected << "open dialog"; return {}; }
        return openManyAnswers.dequeue();
    }
    std::optional<QString> saveFileName(const QString& filter, const QString& initial) override {
        saveRequests << filter + "|" + initial;
        if (saveAnswers.isEmpty()) { unexpected << "save dialog"; return std::nullopt; }
        return saveAnswers.dequeue();
    }
    QDate today() override { return todayDate; }
    QString programDir() override { return dir; }
    QSize screenSize() override { return screen; }
    double twipsPerPixel() override { return tpp; }
    QRect availableArea() override { return available.isNull() ? Platform::availableArea() : available; }
    QMargins frameMargins() override { return frame; }
    double devicePixelRatio() override { return ratio; }
    PrintResult printImage(const QImage& image, bool monochrome) override {
        if (printAnswer.status == PrintStatus::Printed || printAnswer.status == PrintStatus::HeldInQueue) {
            printedImages << image;
            printedMonochrome << monochrome;
        }
        return printAnswer;
    }

    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
    QStringList messageTexts() const {
        QStringList out;
        for (const auto& m : messages) out << m.text;
        return out;
    }
};
