#pragma once

#include "common/IntervalTimer.h"
#include "view/InputState.h"
#include "view/PictureLoader.h"

#include <QObject>
#include <QSet>
#include <array>
#include <functional>

struct DeviceImage;
struct RuntimeSettings;
class QWidget;

// What the display pass draws on: the main window's icons and value panels.
class DisplaySurface {
public:
    virtual ~DisplaySurface() = default;
    virtual bool iconEnabled(int n) const = 0; // n = 1..16
    virtual void setIconPicture(int n, const QPixmap &picture) = 0;
    virtual void setPanelCaption(int p, const QString &caption) = 0; // p = 1..4
};

// One display pass per poll chain: Reloj_Graficos fires once, the pass turns
// the registers into panel texts, input states and icon pictures, runs the
// notice and alarm triggers, and stops its timer.
class DisplayCycle : public QObject {
    Q_OBJECT
public:
    DisplayCycle(const RuntimeSettings &settings, const DeviceImage &image, DisplaySurface &surface,
                 QWidget *boxParent, QObject *parent = nullptr);

    IntervalTimer Reloj_Graficos{QStringLiteral("Reloj_Graficos"), 100};

    // Notices 1 and 2, then the alarm; called once per pass after the icons.
    void setTriggers(std::function<void(const InputState &)> triggers) {
        m_triggers = std::move(triggers);
    }

    const InputState &inputs() const { return m_inputs; }
    double panelValue(int p) const { return m_panelValue.at(p - 1); }
    const QString &panelText(int p) const { return m_panelText.at(p - 1); }
    PictureCache &pictures() { return m_pictures; }

    void Reloj_GraficosTimer();

private:
    void updatePanels();
    void updateIcons();

    const RuntimeSettings &m_settings;
    const DeviceImage &m_image;
    DisplaySurface &m_surface;
    QWidget *m_boxParent;
    std::function<void(const InputState &)> m_triggers;

    InputState m_inputs;
    std::array<double, 4> m_panelValue{};
    std::array<QString, 4> m_panelText;
    PictureCache m_pictures;
    QSet<QString> m_reportedPictures; // files whose failure was already shown
};
