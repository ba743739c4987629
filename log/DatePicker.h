#pragma once

#include <QComboBox>
#include <QDate>
#include <functional>
#include <optional>

// A date field that cannot be typed into: it shows its date in the
// system's short date format with a four-digit year, and its drop-down
// opens a calendar dialog titled "Seleccione Fecha". No date before
// 1 January 2010 can be chosen.
class DatePicker : public QComboBox {
    Q_OBJECT
public:
    explicit DatePicker(const QDate &date, QWidget *parent = nullptr);

    QDate date() const { return m_date; }
    void setDate(const QDate &date);
    QString text() const { return currentText(); }

    static QDate minimumDate() { return QDate(2010, 1, 1); }
    // The system's short date format with every year field widened to four digits.
    static QString displayFormat();
    static QString withFourDigitYear(const QString &format);

    // Asks for a date (the calendar dialog); tests answer instead.
    using Chooser = std::function<std::optional<QDate>(QWidget *parent, const QDate &current)>;
    static void setChooser(Chooser chooser);

    void showPopup() override;

signals:
    void dateChanged(const QDate &date);

private:
    QDate m_date;
};
