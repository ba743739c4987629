// The message-box seam: boxes answered at once, or held open as real modal
// boxes in a nested event loop while the program's timers go on.
#include "common/MessageBoxes.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

using MessageBoxes::Answer;
using TestSupport::BoxRecorder;

class TstMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void heldBoxIsRealAndTimersGoOnBehindIt() {
        BoxRecorder boxes;
        boxes.holdOpenFor(400);
        QTimer ticker;
        ticker.setInterval(50);
        int ticks = 0;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start();

        QString seenTitle;
        bool seenVisible = false;
        int openInside = 0;
        boxes.whileOpen([&](QMessageBox *box) {
            seenTitle = box->windowTitle();
            seenVisible = box->isVisible() && box->isModal();
            openInside = MessageBoxes::openNow();
        });
        const int before = MessageBoxes::shownSoFar();
        const Answer answer = MessageBoxes::show(nullptr, MessageBoxes::Kind::Warning, "Abierto",
                                                 MessageBoxes::Buttons::Ok);
        QCOMPARE(answer, Answer::Ok);
        QCOMPARE(seenTitle, QString("Warning"));
        QVERIFY(seenVisible);
        QCOMPARE(openInside, 1);
        QCOMPARE(MessageBoxes::openNow(), 0);
        QCOMPARE(MessageBoxes::shownSoFar(), before + 1);
        const double held = boxes.closedAt(0) - boxes.openedAt(0);
        QVERIFY2(held > 0.35 && held < 2.0, qPrintable(QString::number(held)));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        QCOMPARE(boxes.openNow(), 0);
    }

    void aBoxInsideATimerHandlerStopsThatTimer() {
        // Why the program reports from the event loop: Qt does not fire a
        // timer again while its own handler waits in a modal box.
        BoxRecorder boxes;
        boxes.holdOpenFor(400);
        QTimer own;
        own.setInterval(50);
        int ownTicks = 0;
        connect(&own, &QTimer::timeout, [&] {
            if (++ownTicks == 1)
                MessageBoxes::error(nullptr, "Dentro del reloj");
        });
        own.start();
        QTRY_VERIFY_WITH_TIMEOUT(boxes.count() == 1 && boxes.openNow() == 0, 3000);
        QCOMPARE(ownTicks, 1);
        QTRY_VERIFY(ownTicks >= 2); // and it goes on once the box is closed
    }

    void releaseClosesNestedBoxesWithTheirAnswers() {
        BoxRecorder boxes;
        boxes.holdOpenUntilReleased();
        boxes.answerNext(Answer::No);
        Answer inner = Answer::Ok;
        int openWithBoth = 0;
        boxes.whileOpen([&](QMessageBox *) {
            if (boxes.openNow() == 1) {
                // A second box from the event loop while the first is open.
                QTimer::singleShot(10, [&] {
                    inner = MessageBoxes::show(nullptr, MessageBoxes::Kind::Confirm, "Segunda",
                                               MessageBoxes::Buttons::YesNo);
                });
            } else {
                openWithBoth = boxes.openNow();
                QCOMPARE(boxes.openBox()->text(), QString("Segunda"));
                boxes.release();
            }
        });
        const Answer outer = MessageBoxes::show(nullptr, MessageBoxes::Kind::Confirm, "Primera",
                                                MessageBoxes::Buttons::YesNo);
        QCOMPARE(outer, Answer::No);
        QCOMPARE(inner, Answer::Yes);
        QCOMPARE(openWithBoth, 2);
        QCOMPARE(boxes.mostOpenAtOnce(), 2);
        QCOMPARE(boxes.count(), 2);
        QCOMPARE(boxes.openNow(), 0);
    }

    void linesStayWholeAsLongAsTheyFitTheScreen() {
        const QString question =
            "La aplicacion se cerrara y terminara cualquier comunicacion iniciada con el "
            "dispositivo.\n¿Desea continuar y salir de la aplicacion? - (Hay una comunicacion "
            "iniciada)";
        const QString tooWide = QString("palabra ").repeated(400);
        BoxRecorder boxes;
        boxes.holdOpenFor(10000);
        QMap<QString, QStringList> problems;
        boxes.whileOpen([&](QMessageBox *box) {
            auto *label = box->findChild<QLabel *>("qt_msgbox_label");
            QStringList &found = problems[box->text()];
            const QRect area = box->screen()->availableGeometry();
            if (!label) {
                found << "no label";
            } else if (box->text() == tooWide) {
                if (!label->wordWrap() || box->width() > area.width())
                    found << "a line wider than the screen is not wrapped";
            } else {
                if (!area.contains(box->frameGeometry()))
                    found << "not on the screen";
                const QFontMetrics fm(label->font());
                for (const QString &line : box->text().split('\n')) {
                    if (fm.horizontalAdvance(line) > label->contentsRect().width())
                        found << "cut: " + line;
                }
                if (label->wordWrap())
                    found << "wraps";
            }
            box->done(QMessageBox::Yes);
        });
        MessageBoxes::show(nullptr, MessageBoxes::Kind::Confirm, question,
                           MessageBoxes::Buttons::YesNo);
        MessageBoxes::show(nullptr, MessageBoxes::Kind::Warning,
                           "Atencion: El equipo esta conectado al sistema, si continua se "
                           "desconectará.\n ¿Desea continuar con la configuración?",
                           MessageBoxes::Buttons::YesNo);
        MessageBoxes::show(nullptr, MessageBoxes::Kind::Error, tooWide);
        QCOMPARE(problems.size(), 3);
        for (auto it = problems.cbegin(); it != problems.cend(); ++it)
            QVERIFY2(it.value().isEmpty(), qPrintable(it.value().join("; ")));
    }

    void answeredAtOnceByDefault() {
        BoxRecorder boxes;
        QCOMPARE(
            MessageBoxes::show(nullptr, MessageBoxes::Kind::Error, "x", MessageBoxes::Buttons::Yes),
            Answer::Yes);
        boxes.setDefaultYesNo(Answer::No);
        QCOMPARE(MessageBoxes::show(nullptr, MessageBoxes::Kind::Confirm, "y",
                                    MessageBoxes::Buttons::YesNo),
                 Answer::No);
        QCOMPARE(boxes.count(), 2);
        QCOMPARE(boxes.mostOpenAtOnce(), 0);
        QCOMPARE(boxes.boxes().at(0).title, QString("Error"));
    }
};

QTEST_MAIN(TstMessageBoxes)
#include "tst_message_boxes.moc"
