#include "view/DisplayCycle.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "device/DeviceImage.h"
#include "view/PanelFormat.h"

#include <QLocale>

DisplayCycle::DisplayCycle(const RuntimeSettings &settings, const DeviceImage &image,
                           DisplaySurface &surface, QWidget *boxParent, QObject *parent)
    : QObject(parent), m_settings(settings), m_image(image), m_surface(surface),
      m_boxParent(boxParent) {
    connect(&Reloj_Graficos, &QTimer::timeout, this, &DisplayCycle::Reloj_GraficosTimer);
}

void DisplayCycle::updatePanels() {
    const QChar decimalPoint = QLocale::system().decimalPoint().at(0);
    for (int p = 1; p <= 4; ++p) {
        const RuntimeSettings::Panel &panel = m_settings.Panels[p - 1];
        const int raw = m_image.reg(p + 2);
        if (raw == 0) {
            m_panelText[p - 1] = QStringLiteral("--");
        } else if (const auto value = PanelFormat::scale(raw, panel.A, panel.B, panel.C)) {
            m_panelValue[p - 1] = *value;
            if (const auto text = PanelFormat::format(*value, panel.Decimals, decimalPoint))
                m_panelText[p - 1] = *text;
        } else {
            m_panelText[p - 1] = PanelFormat::divisorZeroText();
        }
        if (RuntimeSettings::isOn(panel.Enabled))
            m_surface.setPanelCaption(p, m_panelText[p - 1] + u' ' + panel.Unit);
    }
}

void DisplayCycle::updateIcons() {
    for (int n = 1; n <= 16; ++n) {
        if (!m_surface.iconEnabled(n))
            continue;
        const RuntimeSettings::Icon &icon = m_settings.Icons[n - 1];
        const QString &path = m_inputs.isOn(n) ? icon.OnPath : icon.OffPath;
        try {
            m_surface.setIconPicture(n, m_pictures.get(path));
            m_reportedPictures.remove(path);
        } catch (const AppError &e) {
            // Once per file, not every 100 ms; the rest of the pass goes on,
            // and the box waits until the pass is over.
            if (!m_reportedPictures.contains(path)) {
                m_reportedPictures.insert(path);
                MessageBoxes::post(m_boxParent, MessageBoxes::Kind::Error, AppInfo::title(),
                                   e.text());
            }
        }
    }
}

void DisplayCycle::Reloj_GraficosTimer() {
    updatePanels();
    m_inputs = InputState::fromImage(m_image);
    updateIcons();
    if (m_triggers)
        guardedReportLater(m_boxParent, [this] { m_triggers(m_inputs); });
    // Captions and pictures are painted once the pass has returned to the
    // event loop; nothing else runs inside the pass.
    Reloj_Graficos.stop();
}
