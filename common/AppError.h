#pragma once

#include <QString>
#include <stdexcept>

// A failure with a text meant for the operator. Handlers let it reach
// guarded(), which shows it in one error box.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
