#include "log/DatePicker.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

DatePicker::Chooser &chooser() {
    static DatePicker::Chooser c;
    return c;
}

std::optional<QDate> calendarDialog(QWidget *parent, const QDate &current) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Seleccione Fecha"));
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto *calendar = new QCalendarWidget(&dialog);
    calendar->setObjectName(QStringLiteral("Calendario"));
    calendar->setMinimumDate(DatePicker::minimumDate());
    calendar->setSelectedDate(current);
    calendar->setGridVisible(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(calendar);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return calendar->selectedDate();
}

} // namespace

DatePicker::DatePicker(const QDate &date, QWidget *parent) : QComboBox(parent) {
    setEditable(false);
    addItem(QString());
    setDate(date);
}

QString DatePicker::withFourDigitYear(const QString &format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (!quoted && c == u'y') {
            while (i < format.size() && format[i] == u'y')
                ++i;
            out += QStringLiteral("yyyy");
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString DatePicker::displayFormat() {
    return withFourDigitYear(QLocale::system().dateFormat(QLocale::ShortFormat));
}

void DatePicker::setDate(const QDate &date) {
    const QDate d = std::max(date, minimumDate());
    const bool changed = d != m_date;
    m_date = d;
    setItemText(0, QLocale::system().toString(d, displayFormat()));
    if (changed)
        emit dateChanged(d);
}

void DatePicker::setChooser(Chooser c) {
    chooser() = std::move(c);
}

void DatePicker::showPopup() {
    const std::optional<QDate> chosen =
        chooser() ? chooser()(this, m_date) : calendarDialog(this, m_date);
    if (chosen && chosen->isValid())
        setDate(*chosen);
}
