#pragma once

#include <QString>
#include <array>

// What the configuration editor hands the running main window after a save:
// everything the window takes at once. Arrays are indexed from 0 for
// button/icon/panel 1. The line settings other than the port name are not
// here: they wait for the next start.
struct AppliedSettings {
    QString portName = QStringLiteral("COM1");

    bool loggingOn = false;
    int recordSeconds = 10;
    QString dbFlag = QStringLiteral("No"); // as stored: "si" is neither on nor off

    struct Button {
        bool on = false;
        QString caption;
    };
    std::array<Button, 8> buttons;

    QString backgroundPath;

    struct Icon {
        bool on = false;
        QString offPath;
        QString onPath;
        int left = 0;
        int top = 0;
    };
    std::array<Icon, 16> icons;

    struct Panel {
        bool on = false;
        QString unit;
        int decimals = 0;
        int a = 1;
        int b = 1;
        int c = 0;
        int left = 0;
        int top = 0;
    };
    std::array<Panel, 4> panels;

    int alarmEnabled = 0;
    QString alarmSoundPath;

    QString smtpServer;
    QString mailFrom;
    QString smtpPort;
    int resendIndex = 0;
    QString smtpUser;
    QString smtpPassword;
    QString mailTo;
    int mail1Enabled = 0;
    QString mail1Subject;
    QString mail1Body;
    int mail2Enabled = 0;
    QString mail2Subject;
    QString mail2Body;
};
