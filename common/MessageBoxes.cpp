#include "common/MessageBoxes.h"

#include "common/AppInfo.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

namespace MessageBoxes {
namespace {

Handler &handler() {
    static Handler h;
    return h;
}

int s_openNow = 0;
int s_shownSoFar = 0;

QString titleOf(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("Error");
    case Kind::Warning:
        return QStringLiteral("Warning");
    case Kind::Information:
        return QStringLiteral("Information");
    case Kind::Confirm:
        return QStringLiteral("Confirm");
    case Kind::Plain:
        break;
    }
    return AppInfo::title();
}

QMessageBox::Icon iconOf(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QMessageBox::Critical;
    case Kind::Warning:
        return QMessageBox::Warning;
    case Kind::Information:
        return QMessageBox::Information;
    case Kind::Confirm:
        return QMessageBox::Question;
    case Kind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

// A message box whose lines stay whole: Qt wraps any line wider than half
// the screen (500 pixels at most), mid-phrase. The box is widened instead, so
// that the text breaks only where it has line breaks, as long as the widest
// line fits the screen.
class WholeLinesBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override {
        QMessageBox::showEvent(event); // sizes and places the box, wrapping
        if (!m_tooWide)
            sizeUnwrapped();
    }
    bool event(QEvent *event) override {
        // Qt sizes the box again, wrapping, at every layout request.
        if (event->type() != QEvent::LayoutRequest || m_tooWide)
            return QMessageBox::event(event);
        const bool handled = QDialog::event(event);
        sizeUnwrapped();
        return handled;
    }

private:
    void sizeUnwrapped() {
        auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        if (!label || !layout() || !isVisible())
            return;
        label->setWordWrap(false);
        layout()->activate();
        const int width = layout()->totalMinimumSize().width();
        if (width > screen()->availableGeometry().width()) {
            // Wider than the screen: Qt's own wrapping stays.
            m_tooWide = true;
            label->setWordWrap(true);
            return;
        }
        const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                         : layout()->totalMinimumSize().height();
        const QSize before = size();
        if (before == QSize(width, height))
            return;
        setFixedSize(width, height);
        // Still centred where it was placed.
        move(x() - (width - before.width()) / 2, y() - (height - before.height()) / 2);
    }

    bool m_tooWide = false;
};

// Counts a box for as long as it is being shown.
struct OpenBox {
    OpenBox() {
        ++s_openNow;
        ++s_shownSoFar;
    }
    ~OpenBox() { --s_openNow; }
};

} // namespace

Answer show(QWidget *parent, Kind kind, const QString &text, Buttons buttons) {
    return showTitled(parent, kind, titleOf(kind), text, buttons);
}

Answer showTitled(QWidget *parent, Kind kind, const QString &title, const QString &text,
                  Buttons buttons) {
    const Box box{kind, title, text, buttons, parent};
    OpenBox counted;
    if (handler())
        return handler()(box);

    // On the heap: a parent that goes away while the box is open takes the
    // box with it.
    QPointer<QMessageBox> shown = build(box);
    const int result = shown->exec();
    delete shown.data();
    return answerOf(result);
}

void post(QWidget *parent, Kind kind, const QString &title, const QString &text, Buttons buttons) {
    QObject *context = parent ? static_cast<QObject *>(parent) : QCoreApplication::instance();
    QPointer<QWidget> guard = parent;
    QMetaObject::invokeMethod(
        context,
        [guard, hadParent = parent != nullptr, kind, title, text, buttons] {
            if (hadParent && !guard)
                return;
            showTitled(guard.data(), kind, title, text, buttons);
        },
        Qt::QueuedConnection);
}

void post(QWidget *parent, Kind kind, const QString &text, Buttons buttons) {
    post(parent, kind, titleOf(kind), text, buttons);
}

QMessageBox *build(const Box &box) {
    auto *shown =
        new WholeLinesBox(iconOf(box.kind), box.title, box.text, QMessageBox::NoButton, box.parent);
    switch (box.buttons) {
    case Buttons::Ok:
        shown->setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        shown->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::Yes:
        shown->setStandardButtons(QMessageBox::Yes);
        break;
    }
    return shown;
}

Answer answerOf(int execResult) {
    if (execResult == QMessageBox::Yes)
        return Answer::Yes;
    if (execResult == QMessageBox::No)
        return Answer::No;
    return Answer::Ok;
}

int resultFor(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

int openNow() {
    return s_openNow;
}

int shownSoFar() {
    return s_shownSoFar;
}

void setHandler(Handler h) {
    handler() = std::move(h);
}

} // namespace MessageBoxes
