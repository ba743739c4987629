#pragma once

#include <QWidget>
#include <array>

class QToolButton;
class ResultSet;

// The five buttons that move through a result set: first, previous, next,
// last, and refresh, which runs the query's text again.
class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Refresh };

    explicit DbNavigator(ResultSet &set, QWidget *parent = nullptr);

    QToolButton *button(Button b) const { return m_buttons[b]; }
    void click(Button b);

signals:
    // Before any button acts (the viewer takes note of who used the set last).
    void used();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateButtons();

    ResultSet &m_set;
    std::array<QToolButton *, 5> m_buttons{};
};
